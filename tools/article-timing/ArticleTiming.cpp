// zu-article-timing: how long a reader waits for an article's text, and what the web engine's
// processes weigh meanwhile. It plays a replay in the client against the sample service, each
// run with a fresh home (a reader who has launched the client and read before, so no guide is
// in the way) and --frames, and prints per run:
//  - tap → text: from the lift of the finger on the step marked "#@tap" in the replay (a tap
//    lifts 0.05 s after its step begins; the list opens the article on the lift) to the first
//    frame on which the article's first lines stand, wherever the page sliding in has them. The
//    article's first lines are the dark pixels of the top of the page in the article at rest
//    (the last frame before the next mark); a frame shows them when, at some offset, nine in
//    ten of them are dark there too. The frame's time is its file's.
//  - the engine's processes (the client's WPEWebProcess and WPENetworkProcess children): their
//    count, resident memory (RSS, as asked) and proportional share (PSS, which counts the
//    libraries they share once), as each step marked "#@rss NAME" begins;
// and then the median and spread of tap → text over the runs and the median of each figure.
// An interactive run (a window) starts the engine's processes ahead, so it needs a display:
// measure.sh gives it one with xvfb-run where there is none.
//
//   zu-article-timing --app PATH --service PATH --replay FILE [--runs N] [--keep DIR]
//
// --keep DIR keeps each run's frames in DIR/run-N. Single-threaded; each child is waited for.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/Bundle.h"
#include "platform/ui/images/Image.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr double kTapLift = 0.05;
// The top of the article page (below the status bar) whose dark pixels are its first lines.
constexpr int kBandTop = 20;
constexpr int kBandBottom = 110;
// How far down the page may stand while it slides in (the bar it hides as it comes).
constexpr int kMaxDrop = 64;

double now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

struct Options {
  std::string app, service, replay;
  int runs = 5;
  std::optional<fs::path> keep;
};

// What the replay's marks ask for: the line numbers of the steps they stand before.
struct Marks {
  int tapLine = 0;
  std::vector<std::pair<int, std::string>> rss;  // (step line, name), in order
};

std::optional<Marks> readMarks(const std::string& file) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  Marks marks;
  std::string line;
  std::vector<std::string> pending;
  for (int number = 1; std::getline(in, line); ++number) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    if (line.compare(start, 2, "#@") == 0) {
      pending.push_back(line.substr(start + 2));
      continue;
    }
    if (line[start] == '#') continue;
    for (const auto& mark : pending) {
      if (mark == "tap") marks.tapLine = number;
      else if (mark.rfind("rss ", 0) == 0) marks.rss.emplace_back(number, mark.substr(4));
    }
    pending.clear();
  }
  if (!marks.tapLine) return std::nullopt;
  return marks;
}

// --- the engine's processes

struct ProcessFigures {
  int web = 0, network = 0;
  long rssKb = 0, pssKb = 0;
};

long statusField(const fs::path& file, const std::string& name) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(name + ":", 0) == 0) return std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
  }
  return 0;
}

ProcessFigures engineProcesses(pid_t root) {
  std::map<pid_t, std::pair<pid_t, std::string>> all;  // pid → (parent, name)
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string text;
    if (!std::getline(stat, text)) continue;
    const size_t open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 2 >= text.size()) continue;
    std::istringstream rest(text.substr(close + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    all[std::atoi(text.c_str())] = {parent, text.substr(open + 1, close - open - 1)};
  }
  auto descends = [&](pid_t pid) {
    for (int hops = 0; pid > 1 && hops < 16; ++hops) {
      auto it = all.find(pid);
      if (it == all.end()) return false;
      pid = it->second.first;
      if (pid == root) return true;
    }
    return false;
  };
  ProcessFigures figures;
  for (const auto& [pid, info] : all) {
    const bool web = info.second == "WPEWebProcess";
    const bool network = info.second.rfind("WPENetworkProc", 0) == 0;
    if ((!web && !network) || !descends(pid)) continue;
    (web ? figures.web : figures.network)++;
    const fs::path dir = fs::path("/proc") / std::to_string(pid);
    figures.rssKb += statusField(dir / "status", "VmRSS");
    figures.pssKb += statusField(dir / "smaps_rollup", "Pss");
  }
  return figures;
}

std::string describe(const ProcessFigures& f) {
  char text[128];
  std::snprintf(text, sizeof text, "%d web + %d network: RSS %.0f MB (PSS %.0f MB)", f.web, f.network,
                f.rssKb / 1024.0, f.pssKb / 1024.0);
  return text;
}

// --- frames

struct Frame {
  fs::path path;
  double time;
};

std::vector<Frame> framesOf(const fs::path& dir) {
  std::vector<Frame> frames;
  for (const auto& entry : fs::directory_iterator(dir)) {
    struct stat st {};
    if (entry.path().extension() != ".png" || stat(entry.path().c_str(), &st) != 0) continue;
    frames.push_back({entry.path(), static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9});
  }
  std::sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.path < b.path; });
  return frames;
}

int luma(uint32_t argb) {
  return (((argb >> 16) & 0xff) * 299 + ((argb >> 8) & 0xff) * 587 + (argb & 0xff) * 114) / 1000;
}

// The first lines of the article at rest: the dark pixels of the top of its page.
struct TextMask {
  int width = 0, height = 0;
  std::vector<std::pair<int, int>> points;
};

TextMask textOf(const zu::ui::Image& rest) {
  TextMask mask{rest.pixelWidth(), rest.pixelHeight(), {}};
  for (int y = kBandTop; y < std::min(kBandBottom, mask.height); ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (luma(rest.pixelAt(x, y)) < 80) mask.points.emplace_back(x, y);
    }
  }
  return mask;
}

// Whether `frame` shows the masked lines at some offset (the page sliding in from the right,
// standing up to kMaxDrop lower): at least a twentieth of them (and 100) in view, nine in ten
// of those dark.
bool showsText(const zu::ui::Image& frame, const TextMask& mask) {
  const int w = frame.pixelWidth(), h = frame.pixelHeight();
  if (w != mask.width || h != mask.height || mask.points.empty()) return false;
  std::vector<uint8_t> dark(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) dark[static_cast<size_t>(y) * w + x] = luma(frame.pixelAt(x, y)) < 128;
  }
  const size_t least = std::max<size_t>(100, mask.points.size() / 20);
  for (int dy = 0; dy <= kMaxDrop; ++dy) {
    for (int dx = 0; dx < w; ++dx) {
      size_t visible = 0;
      for (const auto& [x, y] : mask.points) visible += x + dx < w && y + dy < h;
      if (visible < least) break;  // larger offsets show less still
      const size_t allowedMisses = visible / 10;
      size_t misses = 0;
      for (const auto& [x, y] : mask.points) {
        if (x + dx >= w || y + dy >= h) continue;
        if (!dark[static_cast<size_t>(y + dy) * w + x + dx] && ++misses > allowedMisses) break;
      }
      if (misses <= allowedMisses) return true;
    }
  }
  return false;
}

// --- one run

struct Run {
  std::optional<double> tapToText;
  std::string frameName;
  std::vector<std::pair<std::string, ProcessFigures>> figures;
  std::string problem;
};

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int stdoutFd) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) envText.push_back(*e);
  envText.insert(envText.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

Run playOnce(const Options& options, const Marks& marks, const fs::path& work) {
  Run run;
  const fs::path home = work / "home", frames = work / "frames";
  fs::create_directories(home / "Library/Preferences");
  fs::create_directories(frames);
  const auto version = zu::Bundle::mainBundle()->info("CFBundleVersion").value_or("");
  std::ofstream(home / "Library/Preferences/zureader.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
         "<key>EverRun</key><string>true</string>\n<key>EverRead</key><string>true</string>\n"
         "<key>DisplayedHelperVersion</key><string>"
      << version << "</string>\n</dict></plist>\n";

  const pid_t service = spawn({options.service, "--port-file", (work / "port").string()}, {}, -1);
  std::string port;
  for (int i = 0; i < 100 && port.empty() && service > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream(work / "port") >> port;
  }
  if (port.empty()) {
    run.problem = "the sample service did not start";
    if (service > 0) kill(service, SIGTERM), waitpid(service, nullptr, 0);
    return run;
  }

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    run.problem = "no pipe";
    return run;
  }
  const pid_t app = spawn({options.app, "--frames", frames.string(), "--replay", options.replay},
                          {"ZU_HOME=" + home.string(), "ZU_SERVICE_HOST=127.0.0.1:" + port}, pipeFds[1]);
  close(pipeFds[1]);
  FILE* out = fdopen(pipeFds[0], "r");
  std::map<int, double> stepStarts;  // replay line → when the client said it began
  bool windowed = false;
  char buffer[1024];
  while (app > 0 && std::fgets(buffer, sizeof buffer, out)) {
    const double at = now();
    const std::string line = buffer;
    if (line.rfind("zureader: window", 0) == 0) windowed = true;
    int number = 0;
    if (std::sscanf(buffer, "zureader: replay line %d:", &number) == 1) {
      stepStarts[number] = at;
      for (const auto& [markLine, name] : marks.rss) {
        if (markLine == number) run.figures.emplace_back(name, engineProcesses(app));
      }
    }
    if (line.rfind("zureader: replay done", 0) == 0) kill(app, SIGTERM);
  }
  std::fclose(out);
  if (app > 0) waitpid(app, nullptr, 0);
  kill(service, SIGTERM);
  waitpid(service, nullptr, 0);
  if (app <= 0) {
    run.problem = "the client did not start";
    return run;
  }
  if (!windowed) run.problem = "no window: the engine was not started ahead";

  // The article at rest: the last frame before the step after the tap's next mark.
  const auto tap = stepStarts.find(marks.tapLine);
  if (tap == stepStarts.end()) {
    run.problem = "the tap was not played";
    return run;
  }
  const double lift = tap->second + kTapLift;
  double restEnd = 1e300;
  for (const auto& [markLine, name] : marks.rss) {
    if (markLine > marks.tapLine && stepStarts.count(markLine)) {
      restEnd = stepStarts[markLine];
      break;
    }
  }
  const auto all = framesOf(frames);
  std::optional<Frame> rest, beforeTap;
  for (const auto& frame : all) {
    if (frame.time < restEnd) rest = frame;
    if (frame.time < lift) beforeTap = frame;
  }
  auto restImage = rest ? zu::ui::Image::fromFile(rest->path) : nullptr;
  if (!restImage) {
    run.problem = "no frame of the article at rest";
    return run;
  }
  const TextMask mask = textOf(*restImage);
  if (mask.points.size() < 300) {
    run.problem = "no text at the top of the article at rest (" + rest->path.filename().string() + ")";
    return run;
  }
  // The list before the tap must not pass for the article.
  if (beforeTap) {
    auto image = zu::ui::Image::fromFile(beforeTap->path);
    if (image && showsText(*image, mask)) {
      run.problem = "the frame before the tap already matches: the comparison cannot tell";
      return run;
    }
  }
  // The first frame that shows them, and so does the next (a chance likeness of a frame sliding
  // past does not last).
  std::optional<Frame> candidate;
  for (const auto& frame : all) {
    if (frame.time < lift || frame.time >= restEnd) continue;
    auto image = zu::ui::Image::fromFile(frame.path);
    if (!image || !showsText(*image, mask)) {
      candidate.reset();
      continue;
    }
    if (candidate) break;
    candidate = frame;
  }
  if (candidate) {
    run.tapToText = candidate->time - lift;
    run.frameName = candidate->path.filename().string();
  }
  if (!run.tapToText && run.problem.empty()) run.problem = "the article's text never showed";
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int usage() {
  std::fprintf(stderr,
               "usage: zu-article-timing --app PATH --service PATH --replay FILE [--runs N] [--keep DIR]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return usage();
    const std::string value = argv[++i];
    if (arg == "--app") options.app = value;
    else if (arg == "--service") options.service = value;
    else if (arg == "--replay") options.replay = value;
    else if (arg == "--runs") options.runs = std::max(1, std::atoi(value.c_str()));
    else if (arg == "--keep") options.keep = value;
    else return usage();
  }
  if (options.app.empty() || options.service.empty() || options.replay.empty()) return usage();
  const auto marks = readMarks(options.replay);
  if (!marks) {
    std::fprintf(stderr, "zu-article-timing: %s has no \"#@tap\" mark before a step\n", options.replay.c_str());
    return 2;
  }

  std::vector<double> times;
  std::map<std::string, std::vector<ProcessFigures>> figures;
  std::vector<std::string> order;
  for (int n = 1; n <= options.runs; ++n) {
    char pattern[] = "/tmp/zu-article-timing-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return 1;
    const fs::path work = made;
    const Run run = playOnce(options, *marks, work);
    std::printf("run %d:", n);
    if (run.tapToText) std::printf(" tap → text %.0f ms (%s)", *run.tapToText * 1000, run.frameName.c_str());
    if (!run.problem.empty()) std::printf(" [%s]", run.problem.c_str());
    std::printf("\n");
    for (const auto& [name, f] : run.figures) {
      std::printf("  %-10s %s\n", name.c_str(), describe(f).c_str());
      if (!figures.count(name)) order.push_back(name);
      figures[name].push_back(f);
    }
    std::fflush(stdout);
    if (run.tapToText) times.push_back(*run.tapToText * 1000);
    std::error_code ec;
    if (options.keep) {
      fs::create_directories(*options.keep, ec);
      const fs::path kept = *options.keep / ("run-" + std::to_string(n));
      fs::remove_all(kept, ec);
      fs::rename(work / "frames", kept, ec);
      if (ec) fs::copy(work / "frames", kept, fs::copy_options::recursive, ec);
    }
    fs::remove_all(work, ec);
  }
  if (!times.empty()) {
    std::printf("tap → text: median %.0f ms, spread %.0f–%.0f ms (%zu runs)\n", median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()),
                times.size());
  }
  for (const auto& name : order) {
    std::vector<double> rss, pss;
    for (const auto& f : figures[name]) {
      rss.push_back(f.rssKb / 1024.0);
      pss.push_back(f.pssKb / 1024.0);
    }
    std::printf("engine processes, %-10s median RSS %.0f MB (PSS %.0f MB); last run: %s\n", name.c_str(),
                median(rss), median(pss), describe(figures[name].back()).c_str());
  }
  return times.size() == static_cast<size_t>(options.runs) ? 0 : 1;
}
