// RatioReporter: the console reporter of the benchmark programs. Besides printing every run as
// usual, it keeps per benchmark its rate counters and its adjusted real time, so that main() can
// print our code's figure beside the reference's from the same run, and their ratio. With
// repetitions, the median of the repetitions is kept.
// Used on the benchmark thread only.
//
// initializeInterleaved() stands for benchmark::Initialize in main(): the repetitions of all
// benchmarks then run interleaved in random order (a load change on the machine hits ours and
// the reference alike) and only their aggregates are printed.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zu {

// benchmark::Initialize with interleaved repetitions turned on; flags given on the command line
// come after, so they can still change it. Like Initialize, leaves in argc/argv only the
// arguments it did not recognise.
inline void initializeInterleaved(int* argc, char** argv) {
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  static char aggregates[] = "--benchmark_report_aggregates_only=true";
  std::vector<char*> args(argv, argv + *argc);
  args.insert(args.begin() + 1, {interleave, aggregates});
  args.push_back(nullptr);
  int count = static_cast<int>(args.size()) - 1;
  benchmark::Initialize(&count, args.data());
  // Both added flags were recognised and removed: what is left fits where it came from.
  for (int i = 0; i < count; ++i) argv[i] = args[static_cast<size_t>(i)];
  argv[count] = nullptr;
  *argc = count;
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // Aggregates are reported after the iterations they sum up, so a median replaces them.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      Figures& f = figures_[run.run_name.str()];
      f.realTime = run.GetAdjustedRealTime();
      for (const auto& [counter, value] : run.counters) f.counters[counter] = value.value;
    }
  }

  // Items per second of the benchmark `name` (0 when it did not run).
  double rate(std::string_view name) const { return counter(name, "items_per_second"); }
  // Bytes per second of the benchmark `name` (0 when it did not run).
  double bytesRate(std::string_view name) const { return counter(name, "bytes_per_second"); }
  // Adjusted real time per iteration, in the benchmark's time unit (0 when it did not run).
  double realTime(std::string_view name) const {
    const Figures* f = find(name);
    return f ? f->realTime : 0;
  }
  double counter(std::string_view name, const std::string& counter) const {
    const Figures* f = find(name);
    if (!f) return 0;
    auto it = f->counters.find(counter);
    return it == f->counters.end() ? 0 : it->second;
  }

 private:
  struct Figures {
    double realTime = 0;
    std::map<std::string, double> counters;
  };

  // `name` matches a benchmark of that name, with or without its "/argument" suffixes.
  const Figures* find(std::string_view name) const {
    for (const auto& [full, figures] : figures_) {
      if (full.compare(0, name.size(), name) == 0 &&
          (full.size() == name.size() || full[name.size()] == '/')) {
        return &figures;
      }
    }
    return nullptr;
  }

  std::map<std::string, Figures> figures_;
};

}  // namespace zu
