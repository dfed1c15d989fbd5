// kalvane-bench: timing of every stage on generated cable nets. A measuring program, not a
// test: it prints figures and never fails on a slow machine.
//
//   kalvane-bench [--sizes 1000,100000,1000000] [--reps R] [--iterations K] [--dir DIR]
//
// For each net it prints medians of R repetitions: the total potential (ns per bar per
// evaluation, evaluations per second), the two-loop recursion and the line search's vector
// updates against a plain stream of the same vectors, reading and writing throughput, and,
// from a separate process that runs the whole program once, the share of each stage and
// the peak resident memory.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "mechanics/batch.hpp"
#include "mechanics/objective.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "nlp/nlp.hpp"
#include "output/writers.hpp"
#include "run.hpp"
#include "structures.hpp"


namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point t0) {
  return std::chrono::duration<double>(clock_type::now() - t0).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t k = v.size() / 2;
  return v.size() % 2 ? v[k] : 0.5 * (v[k - 1] + v[k]);
}

// Median seconds of one call of `f` over `reps` timed samples, each sample long enough
// (at least `min_seconds`) to be measured reliably.
double time_call(const std::function<void()>& f, int reps, double min_seconds = 0.05) {
  f();  // warm up
  long long calls = 1;
  for (;;) {
    auto t0 = clock_type::now();
    for (long long i = 0; i < calls; ++i) f();
    if (seconds_since(t0) >= min_seconds || calls >= (1LL << 30)) break;
    calls *= 2;
  }
  std::vector<double> samples;
  for (int r = 0; r < reps; ++r) {
    auto t0 = clock_type::now();
    for (long long i = 0; i < calls; ++i) f();
    samples.push_back(seconds_since(t0) / static_cast<double>(calls));
  }
  return median(samples);
}

long long file_size(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

void write_file(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

// Bytes of the model's arrays and of the minimiser's vectors and pairs, as the minimiser is
// described (work vectors d, previous point, previous gradient, the line search's saved
// start) with `work_vectors` = 4, or as this minimiser holds them (d and the saved start)
// with 2.
double essential_bytes(const kalvane::model& m, int work_vectors) {
  const double nodes = m.node_count, bars = kalvane::bar_count(m), n = m.free_count;
  const double model_bytes = nodes * (3 * 8 + 3 * 4 + 3 * 8 + 3 * 8) + bars * sizeof(kalvane::bar_record) + n * 2 * 8;
  const double pairs = std::max(m.memory_size, 1);
  return model_bytes + n * 8 * (work_vectors + 2 * pairs);
}

// Runs one whole run in `dir` through the program's own run path and prints one line:
// seconds per stage, iterations, peak resident kB, the essential bytes, the evaluations of
// the total potential and their seconds.
int run_stages(const std::string& dir) {
  kalvane::run_plan plan;
  plan.folder = dir;
  plan.time_objective = true;
  kalvane::model m;
  const kalvane::run_stats stats = kalvane::run(m, plan);
  const double* t = stats.seconds;
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  // input, start, deck, minimise (with the solution check), script, report
  std::printf("%.6f %.6f %.6f %.6f %.6f %.6f %d %ld %.0f %.0f %lld %.6f\n", t[0], t[1], t[2], t[3] + t[4], t[5], t[6],
              m.iteration_count, usage.ru_maxrss, essential_bytes(m, 4), essential_bytes(m, 2), stats.evaluations,
              stats.objective_seconds);
  return 0;
}

struct options {
  std::vector<long long> sizes{1000, 100000, 1000000};
  int reps = 5;
  int iterations = 300;
  std::string dir = "/tmp/kalvane-bench";
};

void bench_net(const options& o, long long wanted) {
  const std::string dir = o.dir + "/net" + std::to_string(wanted);
  std::string command = "mkdir -p '" + dir + "'";
  if (std::system(command.c_str()) != 0) std::exit(1);
  structures::options g;
  g.bars = wanted;
  g.max_iterations = o.iterations;
  structures::summary info;
  write_file(dir + "/input.txt", structures::generate(g, &info));
  const std::string input_path = dir + "/input.txt";
  const double input_bytes = static_cast<double>(file_size(input_path));
  std::printf("\n== cable net: %lld nodes, %lld bars, %.1f MB input.txt\n", info.nodes, info.bars, input_bytes / 1e6);

  // Reading.
  const double read_s = time_call([&] {
    kalvane::model m;
    kalvane::input(m, input_path);
  }, o.reps, 0.2);
  std::printf("reading input.txt            %10.1f MB/s  (%.3f s)\n", input_bytes / 1e6 / read_s, read_s);

  kalvane::model m;
  kalvane::input(m, input_path);
  kalvane::start(m);
  const int32_t n = m.free_count;
  const double bars = static_cast<double>(kalvane::bar_count(m));

  // The total potential at a state of small random displacements.
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> small(-0.01, 0.01);
  terms::fmat1 x, gr;
  x.allocate(1, n);
  gr.allocate(1, n);
  for (int32_t i = 1; i <= n; ++i) x(i) = small(random);
  const double plain_s = time_call([&] { kalvane::objective(m, n, x, gr); }, o.reps);
  std::printf("total potential, plain loop  %10.2f ns/bar/evaluation  %10.1f evaluations/s\n", plain_s / bars * 1e9,
              1.0 / plain_s);
  kalvane::batch_objective batch(m);
  const double batch_s = time_call([&] { batch(n, x, gr); }, o.reps);
  std::printf("total potential, batched     %10.2f ns/bar/evaluation  %10.1f evaluations/s\n", batch_s / bars * 1e9,
              1.0 / batch_s);

  // Two-loop recursion over a full ring of pairs, and the same vectors streamed once per pass.
  {
    const int32_t memory = std::max(m.memory_size, 1);
    nlp::correction_ring ring;
    ring.capacity = static_cast<std::size_t>(memory);
    std::vector<double> a(n), b(n), c(n), d(n), direction(n);
    for (int k = 0; k < memory; ++k) {
      for (int32_t i = 0; i < n; ++i) {
        a[i] = small(random), b[i] = small(random);
        c[i] = a[i] + small(random), d[i] = b[i] + 0.5 * (c[i] - a[i]) + 0.1 * small(random);
      }
      nlp::store_pair(ring, n, c.data(), a.data(), d.data(), b.data());
    }
    const double two_loop_s = time_call([&] { nlp::two_loop_direction(ring, n, b.data(), direction.data()); }, o.reps);
    // Per pass: read r and the pair's s and y, write r.
    const double stream_s = time_call([&] {
      double* r = direction.data();
      for (std::size_t back = 0; back < ring.count(); ++back) {
        const double* s = ring.older_by(back).s.data.data();
        const double* y = ring.older_by(back).y.data.data();
        for (int32_t i = 0; i < n; ++i) r[i] = r[i] + (s[i] - y[i]);
      }
      const double* y = ring.older_by(0).y.data.data();
      for (int32_t i = 0; i < n; ++i) r[i] = r[i] + y[i];
      for (std::size_t back = ring.count(); back-- > 0;) {
        const double* s = ring.older_by(back).s.data.data();
        const double* y2 = ring.older_by(back).y.data.data();
        for (int32_t i = 0; i < n; ++i) r[i] = r[i] - (s[i] - y2[i]);
      }
    }, o.reps);
    std::printf("two-loop recursion           %10.3f ns/iteration/unknown  (%.2f x the stream of its vectors, m = %d)\n",
                two_loop_s / n * 1e9, two_loop_s / stream_s, memory);

    // The line search's vector work per trial: x := x0 + a p, then g . p.
    double sink = 0.0;
    const double update_s = time_call([&] {
      nlp::step_to(n, a.data(), b.data(), 0.5, c.data());
      sink += nlp::dot(n, d.data(), c.data());
    }, o.reps);
    const double update_stream_s = time_call([&] {
      for (int32_t i = 0; i < n; ++i) a[i] = b[i] + c[i];
      // Four independent sums: the same reading without a chain of dependent additions.
      double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
      int32_t i = 0;
      for (; i + 4 <= n; i += 4) {
        s0 += d[i] * c[i];
        s1 += d[i + 1] * c[i + 1];
        s2 += d[i + 2] * c[i + 2];
        s3 += d[i + 3] * c[i + 3];
      }
      for (; i < n; ++i) s0 += d[i] * c[i];
      sink += (s0 + s1) + (s2 + s3);
    }, o.reps);
    std::printf("line-search vector updates   %10.3f ns/trial/unknown      (%.2f x the stream of its vectors)%s\n",
                update_s / n * 1e9, update_s / update_stream_s, sink == 12345.0 ? " " : "");
  }

  // Writing the three files (the model at its starting point, displaced by x).
  {
    for (int32_t i = 1; i <= n; ++i) m.unknowns(i) = x(i);
    const std::string deck = dir + "/bench.inp", script = dir + "/bench.scr", report = dir + "/bench.txt";
    const double deck_s = time_call([&] { kalvane::write_deck(m, deck); }, o.reps, 0.2);
    const double script_s = time_call([&] { kalvane::write_script(m, script); }, o.reps, 0.2);
    const double report_s = time_call([&] { kalvane::write_report(m, report); }, o.reps, 0.2);
    const double deck_b = file_size(deck), script_b = file_size(script), report_b = file_size(report);
    std::printf("writing abaqusfile.inp       %10.1f MB/s  (%.1f MB)\n", deck_b / 1e6 / deck_s, deck_b / 1e6);
    std::printf("writing autocad.scr          %10.1f MB/s  (%.1f MB)\n", script_b / 1e6 / script_s, script_b / 1e6);
    std::printf("writing output.txt           %10.1f MB/s  (%.1f MB)\n", report_b / 1e6 / report_s, report_b / 1e6);
    std::printf("writing all three            %10.1f MB/s\n",
                (deck_b + script_b + report_b) / 1e6 / (deck_s + script_s + report_s));
    std::remove(deck.c_str());
    std::remove(script.c_str());
    std::remove(report.c_str());
  }

  // A whole run in a fresh process.
  char self[4096];
  const ssize_t len = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (len <= 0) return;
  self[len] = '\0';
  command = std::string("'") + self + "' --stages '" + dir + "'";
  std::FILE* child = ::popen(command.c_str(), "r");
  double t[6] = {};
  int iterations = 0;
  long peak_kb = 0;
  double nominal = 0, held = 0, objective_s = 0;
  long evaluations = 0;
  const int got = child ? std::fscanf(child, "%lf %lf %lf %lf %lf %lf %d %ld %lf %lf %ld %lf", &t[0], &t[1], &t[2],
                                      &t[3], &t[4], &t[5], &iterations, &peak_kb, &nominal, &held, &evaluations,
                                      &objective_s)
                        : 0;
  if (child) ::pclose(child);
  if (got != 12) {
    std::printf("whole run: failed\n");
    return;
  }
  double total = 0;
  for (double s : t) total += s;
  const char* names[6] = {"input", "start", "deck", "lbfgs", "script", "report"};
  std::printf("whole run                    %10.2f s, %d iterations (%.2f ms per iteration)\n", total, iterations,
              t[3] / iterations * 1e3);
  std::printf("  share:");
  for (int k = 0; k < 6; ++k) std::printf(" %s %.1f%%", names[k], 100 * t[k] / total);
  std::printf("\n");
  std::printf("  within lbfgs: %ld evaluations (%.2f per iteration) take %.1f%% of the run, the vector work %.1f%%\n",
              evaluations, static_cast<double>(evaluations) / iterations, 100 * objective_s / total,
              100 * (t[3] - objective_s) / total);
  std::printf("peak resident memory         %10.1f bytes/bar  (%.1f MB)\n", peak_kb * 1024.0 / bars, peak_kb / 1024.0);
  std::printf("  vs the model's arrays and the minimiser's vectors and pairs: %.2f x as described "
              "(4 work vectors), %.2f x as held (2)\n",
              peak_kb * 1024.0 / nominal, peak_kb * 1024.0 / held);
}

std::vector<long long> parse_sizes(const std::string& text) {
  std::vector<long long> sizes;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) sizes.push_back(std::atoll(item.c_str()));
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--stages" && i + 1 < argc) {
      try {
        return run_stages(argv[i + 1]);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "run failed: %s\n", e.what());
        return 1;
      }
    }
    if (i + 1 >= argc) break;
    if (arg == "--sizes") o.sizes = parse_sizes(argv[++i]);
    else if (arg == "--reps") o.reps = std::atoi(argv[++i]);
    else if (arg == "--iterations") o.iterations = std::atoi(argv[++i]);
    else if (arg == "--dir") o.dir = argv[++i];
  }
  std::printf("kalvane-bench: median of %d runs per figure; whole runs capped at %d iterations\n", o.reps, o.iterations);
  for (long long size : o.sizes) bench_net(o, size);
  return 0;
}
