// kalvane-bench: timing of every stage on generated cable nets. A measuring program, not a
// test: it prints figures and never fails on a slow machine.
//
//   kalvane-bench [--sizes 1000,100000,1000000] [--reps R] [--iterations K] [--dir DIR]
//
// It first measures the chained-sum floor of this machine: the cost per term of a sum whose
// terms must be added one after the other, as every sum of the minimiser and of the total
// potential is. For each net it prints medians of R repetitions, each stage as a multiple
// of its floor, at one thread and at all threads side by side: the total potential, the
// two-loop recursion and the line search's vector updates (also against a plain stream of
// their vectors), reading and writing, and, from separate processes that run the whole
// program once per thread count, the time per iteration next to the model's floor, the
// share of each stage and the peak resident memory. Last, the viewer's picture of the net.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
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
#include "mechanics/dispatch.hpp"
#include "mechanics/objective.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "nlp/nlp.hpp"
#include "output/writers.hpp"
#include "run.hpp"
#include "structures.hpp"
#include "view/scene.hpp"
#include "view/svg.hpp"

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

// The chained-sum floor: seconds per term of a sequential dot product (each addition waits
// for the one before), on vectors that stay in the first-level cache.
double chained_sum_floor(int reps) {
  const int32_t terms = 4096;
  std::vector<double> a(terms), b(terms);
  for (int32_t i = 0; i < terms; ++i) a[i] = 1.0 + 1e-9 * i, b[i] = 1.0 - 1e-9 * i;
  volatile double sink = 0.0;
  return time_call([&] { sink = sink + nlp::dot(terms, a.data(), b.data()); }, reps) / terms;
}

// The figure at one thread and at all threads, side by side.
void print_pair(const char* what, double one, double all, const char* unit, double floor_one) {
  std::printf("%-34s %9.3f %-4s %6.2fx floor   %9.3f %-4s %6.2fx floor\n", what, one, unit, one / floor_one, all, unit,
              all / floor_one);
}

struct whole_run {
  bool ok = false;
  double t[6] = {};
  int iterations = 0;
  long peak_kb = 0;
  double nominal = 0, held = 0, objective_s = 0;
  long evaluations = 0;
};

// One whole run of the program's own run path in a fresh process, at `threads` threads.
whole_run run_child(const std::string& dir, int threads) {
  whole_run r;
  char self[4096];
  const ssize_t len = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (len <= 0) return r;
  self[len] = '\0';
  const std::string command =
      "OMP_NUM_THREADS=" + std::to_string(threads) + " '" + std::string(self) + "' --stages '" + dir + "'";
  std::FILE* child = ::popen(command.c_str(), "r");
  const int got = child ? std::fscanf(child, "%lf %lf %lf %lf %lf %lf %d %ld %lf %lf %ld %lf", &r.t[0], &r.t[1], &r.t[2],
                                      &r.t[3], &r.t[4], &r.t[5], &r.iterations, &r.peak_kb, &r.nominal, &r.held,
                                      &r.evaluations, &r.objective_s)
                        : 0;
  if (child) ::pclose(child);
  r.ok = got == 12 && r.iterations > 0;
  return r;
}

// Seconds of one evaluation of the total potential, bound at `threads` threads.
double time_potential(const kalvane::model& m, int threads, const terms::fmat1& x, terms::fmat1& g, int reps) {
  kalvane::force_thread_count(threads);
  const kalvane::batch_objective batch(m);
  kalvane::force_thread_count(0);
  return time_call([&] { batch(m.free_count, x, g); }, reps);
}

void bench_net(const options& o, long long wanted, double floor_s, int all) {
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

  kalvane::model m;
  kalvane::input(m, input_path);
  kalvane::start(m);
  const int32_t n = m.free_count;
  const double bars = static_cast<double>(kalvane::bar_count(m));
  std::printf("\n== cable net: %lld nodes, %lld bars, %d unknowns, %.1f MB input.txt\n", info.nodes, info.bars, n,
              input_bytes / 1e6);
  std::printf("%-34s %-31s %s\n", "", "1 thread", (std::to_string(all) + " threads").c_str());

  // The total potential at a state of small random displacements. Its floor: the load sum
  // over the unknowns and the energy sum over the bars.
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> small(-0.01, 0.01);
  terms::fmat1 x, gr;
  x.allocate(1, n);
  gr.allocate(1, n);
  for (int32_t i = 1; i <= n; ++i) x(i) = small(random);
  const double potential_floor = floor_s * (n + bars);
  const double plain_s = time_call([&] { kalvane::objective(m, n, x, gr); }, o.reps);
  const double one_s = time_potential(m, 1, x, gr, o.reps);
  const double all_s = time_potential(m, all, x, gr, o.reps);
  print_pair("total potential, us/evaluation", one_s * 1e6, all_s * 1e6, "us", potential_floor * 1e6);
  std::printf("%-34s %9.3f ns/bar at 1 thread, %.3f at %d; the plain loop %.2f (%d lanes)\n", "", one_s / bars * 1e9,
              all_s / bars * 1e9, all, plain_s / bars * 1e9, kalvane::lane_width());
  // Every lane width at one thread, so that the default's choice can be checked here.
  std::string widths;
  for (int width : kalvane::lane_widths()) {
    if (width == 1) continue;
    kalvane::force_lane_width(width);
    const double s = time_potential(m, 1, x, gr, o.reps);
    char figure[64];
    std::snprintf(figure, sizeof figure, "%s%d lanes %.3f", widths.empty() ? "" : ", ", width, s / bars * 1e9);
    widths += figure;
  }
  kalvane::force_lane_width(0);
  std::printf("%-34s %s ns/bar at 1 thread\n", "", widths.c_str());

  // Two-loop recursion over a full ring of pairs, and the same vectors streamed once per pass.
  const int32_t memory = std::max(m.memory_size, 1);
  double two_loop_s = 0, update_s = 0;
  {
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
    two_loop_s = time_call([&] { nlp::two_loop_direction(ring, n, b.data(), direction.data()); }, o.reps);
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
    // 2m chained sums: the first pass, m in the first loop, m - 1 in the second.
    const double two_loop_floor = floor_s * 2.0 * memory * n;
    std::printf("%-34s %9.3f ms   %6.2fx floor   (one thread; %.2fx the stream of its vectors, m = %d)\n",
                "two-loop recursion", two_loop_s * 1e3, two_loop_s / two_loop_floor, two_loop_s / stream_s, memory);

    // The line search's vector work per trial: x := x0 + a p, then g . p.
    double sink = 0.0;
    update_s = time_call([&] {
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
    std::printf("%-34s %9.3f ms   %6.2fx floor   (one thread; %.2fx the stream of its vectors)%s\n",
                "line-search update per trial", update_s * 1e3, update_s / (floor_s * n), update_s / update_stream_s,
                sink == 12345.0 ? " " : "");
  }

  // Reading and writing the three files (the model at its starting point, displaced by x).
  {
    const double read_s = time_call([&] {
      kalvane::model fresh;
      kalvane::input(fresh, input_path);
    }, o.reps, 0.2);
    std::printf("%-34s %9.1f MB/s\n", "reading input.txt", input_bytes / 1e6 / read_s);
    kalvane::model w = m;
    for (int32_t i = 1; i <= n; ++i) w.unknowns(i) = x(i);
    const std::string deck = dir + "/bench.inp", script = dir + "/bench.scr", report = dir + "/bench.txt";
    const double deck_s = time_call([&] { kalvane::write_deck(w, deck); }, o.reps, 0.2);
    const double script_s = time_call([&] { kalvane::write_script(w, script); }, o.reps, 0.2);
    const double report_s = time_call([&] { kalvane::write_report(w, report); }, o.reps, 0.2);
    const double bytes = static_cast<double>(file_size(deck) + file_size(script) + file_size(report));
    std::printf("%-34s %9.1f MB/s  (%.1f MB in all)\n", "writing the three files", bytes / 1e6 / (deck_s + script_s + report_s),
                bytes / 1e6);
    std::remove(deck.c_str());
    std::remove(script.c_str());
    std::remove(report.c_str());
  }

  // Whole runs in fresh processes, at one thread and at all.
  const whole_run one = run_child(dir, 1), every = run_child(dir, all);
  if (!one.ok || !every.ok) {
    std::printf("whole run: failed\n");
    return;
  }
  // Per iteration: the 2m two-loop sums, s.y and y.y (one chain each, side by side), and per
  // evaluation the slope and the potential's two sums.
  const double per_iteration_evaluations = static_cast<double>(one.evaluations) / one.iterations;
  const double run_floor = floor_s * ((2.0 * memory + 1) * n + per_iteration_evaluations * (n + n + bars));
  const double one_it = one.t[3] / one.iterations, all_it = every.t[3] / every.iterations;
  print_pair("whole run, ms/iteration", one_it * 1e3, all_it * 1e3, "ms", run_floor * 1e3);
  std::printf("%-34s %d iterations, %.2f evaluations each; floor %.3f ms per iteration\n", "", one.iterations,
              per_iteration_evaluations, run_floor * 1e3);
  for (const whole_run* r : {&one, &every}) {
    double total = 0;
    for (double t : r->t) total += t;
    const char* names[6] = {"input", "start", "deck", "lbfgs", "script", "report"};
    std::printf("  %d thread%s: %.2f s;", r == &one ? 1 : all, r == &one ? "" : "s", total);
    for (int k = 0; k < 6; ++k) std::printf(" %s %.1f%%", names[k], 100 * r->t[k] / total);
    std::printf("; evaluations %.1f%%\n", 100 * r->objective_s / total);
  }
  // The batched objective's own arrays: per bar its streamed data (5 reals, 2 rows), its
  // energy and forces (4 reals) and its two gather entries; per node the displacements and
  // the start of its entries.
  const double objective_bytes = bars * (5 * 8 + 2 * 4 + 4 * 8 + 2 * 4) + m.node_count * (3 * 8 + 8.0);
  std::printf("%-34s %9.1f MB      %.2fx model + minimiser + objective arrays (%.2fx without the objective's), "
              "%d threads\n",
              "peak resident memory", every.peak_kb / 1024.0, every.peak_kb * 1024.0 / (every.held + objective_bytes),
              every.peak_kb * 1024.0 / every.held, all);
  std::printf("%-34s %9.1f MB      at 1 thread\n", "", one.peak_kb / 1024.0);

  // The viewer's picture of the net at its starting state, displaced by x.
  {
    kalvane::view::scene sc;
    for (int32_t i = 1; i <= m.node_count; ++i) {
      sc.initial.push_back({m.x0(i), m.y0(i), m.z0(i)});
      double u[3];
      for (int j = 1; j <= 3; ++j) u[j - 1] = m.dof_map(i, j) <= n ? x(m.dof_map(i, j)) : m.prescribed(i, j);
      sc.displacement.push_back({u[0], u[1], u[2]});
    }
    for (int32_t b = 1; b <= kalvane::bar_count(m); ++b) {
      sc.bars.push_back({m.bars(b).node1 - 1, m.bars(b).node2 - 1});
      sc.area.push_back(m.bars(b).area);
      sc.stress.push_back(std::sin(0.001 * b));
    }
    kalvane::view::svg_options view;
    view.auto_magnify = true;
    std::size_t svg_bytes = 0;
    const double svg_s = time_call([&] { svg_bytes = kalvane::view::render_svg(sc, view).size(); }, o.reps, 0.2);
    std::printf("%-34s %9.3f s      (%.1f MB, kalvane-view's SVG of this net)\n", "drawing the picture", svg_s,
                svg_bytes / 1e6);
  }
}

const char* const usage =
    "usage: kalvane-bench [--sizes N,N,...] [--reps R] [--iterations K] [--dir DIR]\n"
    "  --sizes       wanted bar counts of the generated cable nets (default 1000,100000,1000000)\n"
    "  --reps        timed repetitions per figure, the median printed (default 5)\n"
    "  --iterations  iteration limit of the whole runs (default 300)\n"
    "  --dir         folder for the generated inputs and the runs (default /tmp/kalvane-bench)\n"
    "  --help, --version\n";

[[noreturn]] void refuse(const std::string& message) {
  std::fprintf(stderr, "kalvane-bench: %s\n%s", message.c_str(), usage);
  std::exit(2);
}

long long positive(const std::string& option, const std::string& text, long long most) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > most)
    refuse("bad value for " + option + ": '" + text + "'");
  return value;
}

std::vector<long long> parse_sizes(const std::string& text) {
  std::vector<long long> sizes;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) sizes.push_back(positive("--sizes", item, 100000000));
  if (sizes.empty() || text.back() == ',') refuse("bad value for --sizes: '" + text + "'");
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(usage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("kalvane-bench %s\n", KALVANE_VERSION);
      return 0;
    }
    const bool takes_value = arg == "--stages" || arg == "--sizes" || arg == "--reps" || arg == "--iterations" ||
                             arg == "--dir";
    if (!takes_value) refuse("unknown option '" + arg + "'");
    if (i + 1 >= argc) refuse("missing value for " + arg);
    const std::string value = argv[++i];
    if (arg == "--stages") {  // the child of a whole-run measurement
      try {
        return run_stages(value);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "run failed: %s\n", e.what());
        return 1;
      }
    }
    if (arg == "--sizes") o.sizes = parse_sizes(value);
    else if (arg == "--reps") o.reps = static_cast<int>(positive(arg, value, 1000));
    else if (arg == "--iterations") o.iterations = static_cast<int>(positive(arg, value, 100000000));
    else if (value.empty()) refuse("bad value for --dir: ''");
    else o.dir = value;
  }
  const double floor_s = chained_sum_floor(o.reps);
  const int all = std::max(2, kalvane::machine_threads());
  std::printf("kalvane-bench: median of %d runs per figure; whole runs capped at %d iterations\n", o.reps, o.iterations);
  std::printf("chained-sum floor: %.3f ns per term (a sequential dot product); %d lanes; all threads = %d\n",
              floor_s * 1e9, kalvane::lane_width(), all);
  for (long long size : o.sizes) bench_net(o, size, floor_s, all);
  return 0;
}
