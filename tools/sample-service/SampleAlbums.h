// SampleAlbums: the album column's articles ("art-photo-<n>", entry status type "album") as the
// article page gets them: each picture of the album as a vesk:image_category record with its
// address (a_href, the full-size picture the picture viewer downloads, also the page's own
// address) and its EXIF block (a title, key/value lines, either, or none), and a link
// "web:getimageclick;seq=<n>" in the HTML for every picture with an address. "art-photo-2" has a
// picture without an address (a record with size and EXIF only); "art-photo-3" has no pictures.
// The pictures are documents/images/<article>-album-<seq>.png, drawn by
// tools/artwork/draw_artwork.py in the sizes the records give (wide, tall, square, panorama).
//
// Pure functions of their inputs; any thread.
#pragma once

#include <string>

namespace zu {

class SampleAlbums {
 public:
  // Whether `id` is an article of the album column.
  static bool isAlbum(const std::string& id);
  // `entry` (one <entry> of the articles document, its content in CDATA) with the page's style
  // sheet and script, a picture link per picture with an address, and the picture records.
  static std::string withPictures(std::string entry, const std::string& id, const std::string& base);
};

}  // namespace zu
