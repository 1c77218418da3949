#include "SampleAlbums.h"

#include <array>
#include <utility>
#include <vector>

#include "SampleArticles.h"

namespace zu {
namespace {

struct Picture {
  int seq = 0;
  bool hasAddress = true;  // served as "/img/<article>-album-<seq>.png"
  int width = 0;           // the full-size picture's pixels
  int height = 0;
  // The EXIF block: none when there is neither a title nor a line.
  const char* title = nullptr;
  std::vector<std::pair<const char*, const char*>> lines;
};

struct Album {
  const char* id;
  std::vector<Picture> pictures;
};

// The page shows each picture this high, as a strip of small pictures above the text.
constexpr int kStripHeight = 90;

const std::array<Album, 3>& albums() {
  static const std::array<Album, 3> kAlbums = {{
      {"art-photo-2",
       {{1, true, 480, 320, "Rope Street, 20:05",
         {{"相机", "Lantern K2"}, {"光圈", "f/2.8"}, {"曝光时间", "1/60 s"}, {"感光度", "800"}}},
        {2, true, 320, 480, "The ferry lamp", {}},
        {3, false, 400, 300, "A puddle at the corner", {{"感光度", "1600"}}},
        {4, true, 600, 240, nullptr, {}}}},
      {"art-photo-1",
       {{1, true, 300, 450, "", {{"焦距", "35 mm"}, {"光圈", "f/4"}}},
        {2, true, 400, 400, "Cat on the fifth step",
         {{"相机", "Lantern K2"}, {"曝光时间", "1/125 s"}, {"拍摄时间", "2026-01-02 17:40"}}},
        {3, true, 480, 300, "The chapel bell from below", {{"光圈", "f/8"}}}}},
      {"art-photo-3", {}},
  }};
  return kAlbums;
}

const Album* albumOf(const std::string& id) {
  for (const auto& album : albums()) {
    if (id == album.id) return &album;
  }
  return nullptr;
}

std::string exifOf(const Picture& picture) {
  if (!picture.title && picture.lines.empty()) return std::string();
  std::string exif = "<vesk:exif>";
  if (picture.title) exif += std::string("<vesk:title>") + picture.title + "</vesk:title>";
  for (const auto& [key, value] : picture.lines) {
    exif += std::string("<vesk:info key=\"") + key + "\" value=\"" + value + "\"/>";
  }
  return exif + "</vesk:exif>";
}

}  // namespace

bool SampleAlbums::isAlbum(const std::string& id) { return albumOf(id) != nullptr; }

std::string SampleAlbums::withPictures(std::string entry, const std::string& id, const std::string& base) {
  const Album* album = albumOf(id);
  if (!album) return entry;
  std::string strip;
  std::string records;
  for (const auto& picture : album->pictures) {
    const std::string seq = std::to_string(picture.seq);
    const int shownWidth = picture.width * kStripHeight / picture.height;
    const std::string size = " width=\"" + std::to_string(shownWidth) + "\" height=\"" +
                             std::to_string(kStripHeight) + "\"";
    std::string record = "<vesk:image_category type=\"image/png\"" + size + " seq=\"" + seq + "\"";
    if (picture.hasAddress) {
      const std::string address = base + "/img/" + id + "-album-" + seq + ".png";
      strip += "<a href=\"web:getimageclick;seq=" + seq + "\"><img src=\"" + address + "\"" + size + "/></a> ";
      record += " href=\"" + address + "\" a_href=\"" + address + "\" a_width=\"" +
                std::to_string(picture.width) + "\" a_height=\"" + std::to_string(picture.height) + "\"";
    }
    records += "  " + record + ">" + exifOf(picture) + "</vesk:image_category>\n  ";
  }
  entry = SampleArticles::withPage(std::move(entry), id, base,
                                   {.lead = strip.empty() ? std::string() : "<p class=\"album\">" + strip + "</p>",
                                    .commands = false});
  if (const size_t close = entry.rfind("</entry>"); close != std::string::npos) entry.insert(close, records);
  return entry;
}

}  // namespace zu
