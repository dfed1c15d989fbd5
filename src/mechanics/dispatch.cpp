#include "mechanics/dispatch.hpp"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kalvane {
namespace {

// One bar per lane: the baseline for a build without SSE2, and the reference width.
struct pack1 {
  static constexpr int width = 1;
  double v;
  pack1() = default;
  pack1(double a) : v(a) {}
  static pack1 load(const double* p) { return *p; }
  static pack1 gather(const double* base, const int32_t* index) { return base[*index]; }
  void store(double* p) const { *p = v; }
  static void store_quads(double* out, pack1 a, pack1 b, pack1 c, pack1 d) {
    out[0] = a.v, out[1] = b.v, out[2] = c.v, out[3] = d.v;
  }
  unsigned negative_lanes() const { return v < 0.0 ? 1u : 0u; }
};
inline pack1 operator+(pack1 a, pack1 b) { return a.v + b.v; }
inline pack1 operator-(pack1 a, pack1 b) { return a.v - b.v; }
inline pack1 operator*(pack1 a, pack1 b) { return a.v * b.v; }
inline pack1 operator/(pack1 a, pack1 b) { return a.v / b.v; }
inline pack1 sqrt_of(pack1 a) { return std::sqrt(a.v); }

stretch_failure run1(const bar_pass& pass, long long begin, long long end) { return bar_range<pack1>(pass, begin, end); }

#ifdef __SSE2__
// Two lanes of SSE2, the x86-64 baseline.
struct pack2 {
  static constexpr int width = 2;
  __m128d v;
  pack2() = default;
  pack2(__m128d a) : v(a) {}
  pack2(double a) : v(_mm_set1_pd(a)) {}
  static pack2 load(const double* p) { return _mm_loadu_pd(p); }
  static pack2 gather(const double* base, const int32_t* index) { return _mm_set_pd(base[index[1]], base[index[0]]); }
  void store(double* p) const { _mm_storeu_pd(p, v); }
  static void store_quads(double* out, pack2 a, pack2 b, pack2 c, pack2 d) {
    _mm_store_pd(out, _mm_unpacklo_pd(a.v, b.v));
    _mm_store_pd(out + 2, _mm_unpacklo_pd(c.v, d.v));
    _mm_store_pd(out + 4, _mm_unpackhi_pd(a.v, b.v));
    _mm_store_pd(out + 6, _mm_unpackhi_pd(c.v, d.v));
  }
  unsigned negative_lanes() const {
    return static_cast<unsigned>(_mm_movemask_pd(_mm_cmplt_pd(v, _mm_setzero_pd())));
  }
};
inline pack2 operator+(pack2 a, pack2 b) { return _mm_add_pd(a.v, b.v); }
inline pack2 operator-(pack2 a, pack2 b) { return _mm_sub_pd(a.v, b.v); }
inline pack2 operator*(pack2 a, pack2 b) { return _mm_mul_pd(a.v, b.v); }
inline pack2 operator/(pack2 a, pack2 b) { return _mm_div_pd(a.v, b.v); }
inline pack2 sqrt_of(pack2 a) { return _mm_sqrt_pd(a.v); }

stretch_failure run2(const bar_pass& pass, long long begin, long long end) { return bar_range<pack2>(pass, begin, end); }

// A quad as two halves of SSE2.
struct quad2 {
  __m128d xy, zw;
  quad2(__m128d a, __m128d b) : xy(a), zw(b) {}
  quad2(double x, double y, double z) : xy(_mm_set_pd(y, x)), zw(_mm_set_pd(0.0, z)) {}
  static quad2 load(const double* p) { return {_mm_load_pd(p), _mm_load_pd(p + 2)}; }
  quad2 flip(const std::uint64_t* signs) const {
    const double* bits = reinterpret_cast<const double*>(signs);
    return {_mm_xor_pd(xy, _mm_load_pd(bits)), _mm_xor_pd(zw, _mm_load_pd(bits + 2))};
  }
  void store(double* p) const {
    _mm_store_pd(p, xy);
    _mm_store_pd(p + 2, zw);
  }
};
inline quad2 operator+(const quad2& a, const quad2& b) { return {_mm_add_pd(a.xy, b.xy), _mm_add_pd(a.zw, b.zw)}; }

void gather2(const node_pass& pass, long long begin, long long end) { node_range<quad2>(pass, begin, end); }
#endif

// Four plain reals: the baseline for a build without SSE2.
struct quad1 {
  double v[4];
  quad1(double x, double y, double z) : v{x, y, z, 0.0} {}
  quad1(double a, double b, double c, double d) : v{a, b, c, d} {}
  static quad1 load(const double* p) { return {p[0], p[1], p[2], p[3]}; }
  static double flip(double a, std::uint64_t sign) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(a) ^ sign);
  }
  quad1 flip(const std::uint64_t* signs) const {
    return {flip(v[0], signs[0]), flip(v[1], signs[1]), flip(v[2], signs[2]), v[3]};
  }
  void store(double* p) const {
    for (int lane = 0; lane < 4; ++lane) p[lane] = v[lane];
  }
};
inline quad1 operator+(const quad1& a, const quad1& b) {
  return {a.v[0] + b.v[0], a.v[1] + b.v[1], a.v[2] + b.v[2], a.v[3] + b.v[3]};
}

void gather1(const node_pass& pass, long long begin, long long end) { node_range<quad1>(pass, begin, end); }

bool processor_has(int width) {
#if defined(__x86_64__) || defined(__i386__)
  if (width == 4) return __builtin_cpu_supports("avx2");
  if (width == 8)
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl");
#endif
  return width == 1 || width == 2;
}

bar_range_fn built_for(int width) {
  switch (width) {
    case 1: return run1;
#ifdef __SSE2__
    case 2: return run2;
#endif
    case 4: return bar_range_avx2();
    case 8: return bar_range_avx512();
    default: return nullptr;
  }
}

node_range_fn gather_built_for(int width) {
  switch (width) {
    case 1: return gather1;
#ifdef __SSE2__
    case 2: return gather2;
#endif
    case 4:
    case 8: return node_range_avx2();
    default: return nullptr;
  }
}

std::atomic<int> forced_width{0};
std::atomic<int> forced_threads{0};

// Below this many bars per thread an evaluation is too short to share.
constexpr long long bars_per_thread = 4096;

}  // namespace

const std::vector<int>& lane_widths() {
  static const std::vector<int> widths = [] {
    std::vector<int> found;
    for (int width : {1, 2, 4, 8})
      if (processor_has(width) && built_for(width) != nullptr) found.push_back(width);
    return found;
  }();
  return widths;
}

bar_range_fn bar_range_for(int width) {
  for (int w : lane_widths())
    if (w == width) return built_for(width);
  return nullptr;
}

node_range_fn node_range_for(int width) {
  if (bar_range_for(width) == nullptr) return nullptr;
  // Wider lanes than AVX2's bring nothing to a quad; a processor with AVX-512 has AVX2.
  if (width == 8 && !processor_has(4)) width = 2;
  return gather_built_for(width);
}

int default_lane_width() {
  // The law is bound by its divisions and its square root. On the processors measured
  // (Intel Sapphire Rapids, AMD EPYC) a 512-bit division costs per lane what a 256-bit one
  // does, and the wider code ran 5-7 % slower: eight lanes serve when four are missing.
  const std::vector<int>& widths = lane_widths();
  for (int width : widths)
    if (width == 4) return 4;
  return widths.back();
}

int lane_width() {
  const int forced = forced_width.load();
  return forced != 0 ? forced : default_lane_width();
}

bool force_lane_width(int width) {
  if (width != 0 && bar_range_for(width) == nullptr) return false;
  forced_width.store(width);
  return true;
}

int machine_threads() {
  if (const char* text = std::getenv("OMP_NUM_THREADS")) {
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && count > 0) return count > 1024 ? 1024 : static_cast<int>(count);
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1 : static_cast<int>(hardware);
}

int thread_count(long long bars) {
  const int forced = forced_threads.load();
  if (forced > 0) return forced;
  const long long useful = bars / bars_per_thread;
  const int machine = machine_threads();
  return useful < 1 ? 1 : useful < machine ? static_cast<int>(useful) : machine;
}

void force_thread_count(int threads) { forced_threads.store(threads > 0 ? threads : 0); }

}  // namespace kalvane
