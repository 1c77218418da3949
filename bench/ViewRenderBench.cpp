// View kit throughput.
//  - Rendering: a 320×480 tree of about 200 views (rows of solid fills, 40 image views scaled
//    into their bounds, every fifth view at half alpha, every other row clipping its content)
//    rendered to an image by render(view), beside the same drawing done with raw cairo calls in
//    the same run. Prints frames per second of both and the ratio ours / reference.
//  - Layout: a pass over trees of 200 and 2,000 views whose layoutSubviews place their
//    children; prints views per second of both sizes, which should be about equal (linear).
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/View.h"

#include "RatioReporter.h"

namespace {

using namespace zu::ui;

constexpr int kRows = 20;
constexpr int kPerRow = 9;

std::shared_ptr<Image> tileImage() {
  static std::shared_ptr<Image> image = [] {
    auto img = Image::create(32, 32);
    uint32_t* px = img->mutablePixels();
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        px[y * 32 + x] = ((x / 4 + y / 4) % 2 ? Color::redColor() : Color(0, 0, 1, 0.5f)).premultipliedArgb();
      }
    }
    return img;
  }();
  return image;
}

class PictureView : public View {
 public:
  PictureView(const Rect& frame, std::shared_ptr<Image> image) : View(frame), image_(std::move(image)) {}
  void draw(Canvas& canvas, const Rect& rect) override { canvas.drawImage(*image_, rect); }

 private:
  std::shared_ptr<Image> image_;
};

struct Cell {
  Rect frame;
  bool image;
  bool faded;
  Color color;
};

struct Row {
  Rect frame;
  bool clips;
  std::vector<Cell> cells;
};

// The scene, shared by both sides so they draw the same thing.
const std::vector<Row>& scene() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> out;
    int n = 0;
    for (int r = 0; r < kRows; ++r) {
      Row row{Rect(0, static_cast<float>(r * 24), 320, 24), r % 2 == 1, {}};
      for (int c = 0; c < kPerRow; ++c, ++n) {
        Cell cell{Rect(static_cast<float>(c * 36), 2, 40, 20), c < 2, n % 5 == 0,
                  Color(static_cast<float>(c) / kPerRow, static_cast<float>(r) / kRows, 0.5f)};
        row.cells.push_back(cell);
      }
      out.push_back(std::move(row));
    }
    return out;
  }();
  return rows;
}

std::shared_ptr<View> buildTree() {
  auto root = std::make_shared<View>(Rect(0, 0, 320, 480));
  root->setBackgroundColor(Color::whiteColor());
  for (const Row& row : scene()) {
    auto rv = std::make_shared<View>(row.frame);
    rv->setBackgroundColor(Color::lightGrayColor());
    rv->setClipsToBounds(row.clips);
    for (const Cell& cell : row.cells) {
      std::shared_ptr<View> v;
      if (cell.image) {
        v = std::make_shared<PictureView>(cell.frame, tileImage());
      } else {
        v = std::make_shared<View>(cell.frame);
        v->setBackgroundColor(cell.color);
      }
      if (cell.faded) v->setAlpha(0.5f);
      rv->addSubview(v);
    }
    root->addSubview(rv);
  }
  return root;
}

void BM_RenderTree(benchmark::State& state) {
  auto root = buildTree();
  for (auto _ : state) {
    auto image = render(*root);
    benchmark::DoNotOptimize(image);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderTree)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void rawFill(cairo_t* cr, const Rect& r, const Color& c) {
  cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
  cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  cairo_fill(cr);
}

void BM_RawCairo(benchmark::State& state) {
  auto image = tileImage();
  for (auto _ : state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 320, 480);
    cairo_t* cr = cairo_create(surface);
    rawFill(cr, Rect(0, 0, 320, 480), Color::whiteColor());
    for (const Row& row : scene()) {
      cairo_save(cr);
      cairo_translate(cr, row.frame.origin.x, row.frame.origin.y);
      rawFill(cr, Rect(0, 0, row.frame.size.width, row.frame.size.height), Color::lightGrayColor());
      if (row.clips) {
        cairo_rectangle(cr, 0, 0, row.frame.size.width, row.frame.size.height);
        cairo_clip(cr);
      }
      for (const Cell& cell : row.cells) {
        cairo_save(cr);
        cairo_translate(cr, cell.frame.origin.x, cell.frame.origin.y);
        if (cell.faded) cairo_push_group(cr);
        const Rect local(0, 0, cell.frame.size.width, cell.frame.size.height);
        if (cell.image) {
          cairo_save(cr);
          cairo_rectangle(cr, 0, 0, local.size.width, local.size.height);
          cairo_clip(cr);
          cairo_scale(cr, local.size.width / 32.0, local.size.height / 32.0);
          cairo_pattern_t* p = cairo_pattern_create_for_surface(image->surface());
          cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
          cairo_set_source(cr, p);
          cairo_paint(cr);
          cairo_pattern_destroy(p);
          cairo_restore(cr);
        } else {
          rawFill(cr, local, cell.color);
        }
        if (cell.faded) {
          cairo_pop_group_to_source(cr);
          cairo_paint_with_alpha(cr, 0.5);
        }
        cairo_restore(cr);
      }
      cairo_restore(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    cairo_surface_destroy(surface);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawCairo)->Unit(benchmark::kMicrosecond)->Repetitions(9);

// Lays its children out in a grid of 40-point cells.
class GridView : public View {
 public:
  using View::View;
  void layoutSubviews() override {
    const auto& subs = subviews();
    for (size_t i = 0; i < subs.size(); ++i) {
      subs[i]->setFrame(Rect(static_cast<float>(i % 8) * 40, static_cast<float>(i / 8) * 40,
                             40 + static_cast<float>(generation_ % 2), 40));
    }
    ++generation_;
  }

 private:
  int generation_ = 0;
};

void BM_Layout(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto root = std::make_shared<GridView>(Rect(0, 0, 320, 480));
  std::vector<std::shared_ptr<View>> all{root};
  // Groups of ten: one grid holding nine leaves.
  for (int made = 1; made < count; made += 10) {
    auto group = std::make_shared<GridView>(Rect(0, 0, 320, 40));
    root->addSubview(group);
    all.push_back(group);
    for (int i = 0; i < 9 && made + 1 + i < count; ++i) {
      auto leaf = std::make_shared<View>(Rect(0, 0, 10, 10));
      group->addSubview(leaf);
      all.push_back(leaf);
    }
  }
  root->layoutIfNeeded();
  for (auto _ : state) {
    for (auto& v : all) v->setNeedsLayout();
    root->layoutIfNeeded();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(all.size()));
}
BENCHMARK(BM_Layout)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_RenderTree");
  const double reference = reporter.rate("BM_RawCairo");
  if (ours > 0 && reference > 0) {
    std::printf("render tree %.0f frames/s, raw cairo %.0f frames/s, ratio ours/reference %.2f\n",
                ours, reference, ours / reference);
  }
  const double small = reporter.rate("BM_Layout/200");
  const double large = reporter.rate("BM_Layout/2000");
  if (small > 0 && large > 0) {
    std::printf("layout 200 views %.2f M views/s, 2000 views %.2f M views/s, ratio 2000/200 %.2f\n",
                small / 1e6, large / 1e6, large / small);
  }
  benchmark::Shutdown();
  return 0;
}
