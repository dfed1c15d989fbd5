#include "newton/dissection.hpp"

#include <algorithm>
#include <exception>
#include <numeric>
#include <thread>
#include <utility>

namespace kalvane::newton {

adjacency adjacency_of(const Eigen::SparseMatrix<double>& lower) {
  const auto n = static_cast<std::size_t>(lower.cols());
  const int* outer = lower.outerIndexPtr();
  const int* inner = lower.innerIndexPtr();
  const int* counts = lower.innerNonZeroPtr();  // null when compressed
  auto end_of = [&](std::size_t c) { return counts ? outer[c] + counts[c] : outer[c + 1]; };
  adjacency g;
  g.first.assign(n + 1, 0);
  for (std::size_t c = 0; c < n; ++c)
    for (int at = outer[c]; at < end_of(c); ++at)
      if (static_cast<std::size_t>(inner[at]) != c) {
        ++g.first[static_cast<std::size_t>(inner[at]) + 1];
        ++g.first[c + 1];
      }
  for (std::size_t r = 0; r < n; ++r) g.first[r + 1] += g.first[r];
  g.next.resize(static_cast<std::size_t>(g.first[n]));
  std::vector<int32_t> fill(g.first.begin(), g.first.end() - 1);
  for (std::size_t c = 0; c < n; ++c)
    for (int at = outer[c]; at < end_of(c); ++at) {
      const auto r = static_cast<std::size_t>(inner[at]);
      if (r == c) continue;
      g.next[static_cast<std::size_t>(fill[r]++)] = static_cast<int32_t>(c);
      g.next[static_cast<std::size_t>(fill[c]++)] = static_cast<int32_t>(r);
    }
  return g;
}

namespace {

// A part of the graph still to order, or a separator to place after the parts it separates.
struct task {
  std::vector<int32_t> nodes;
  bool separator = false;
  // When known: the part's nodes are the level structure of a search from nodes.front(),
  // level l from levels[l] to levels[l + 1], as the part's own search would find them.
  std::vector<std::size_t> levels;
};

struct dissector {
  const adjacency& g;
  std::size_t leaf;
  // Per node: p while it is in part p and not yet reached by the part's search, -p once
  // reached; part numbers only grow, so older marks never match. Shared by the dissectors of
  // parts that no edge joins: each reads and writes its own nodes' marks only, and reads
  // those of the separators round them, which stay as they were.
  std::vector<int32_t>& mark;
  int32_t parts = 0;
  std::vector<int32_t> queue;  // the last search's nodes, level by level
  std::vector<std::size_t> level_start;  // where each level begins in queue, then its end
  std::vector<int32_t> kept_queue;       // the search before it, while another is tried
  std::vector<std::size_t> kept_start;
  std::vector<int32_t> order;

  dissector(const adjacency& graph_, std::size_t leaf_, std::vector<int32_t>& marks, int32_t parts_ = 0)
      : g(graph_), leaf(leaf_), mark(marks), parts(parts_) {}

  // Orders the parts on the stack, and the parts they split into, to the end.
  void run(std::vector<task>& stack) {
    while (!stack.empty()) {
      task t = std::move(stack.back());
      stack.pop_back();
      split(t, stack);
    }
  }

  // Breadth-first search from `root` over the unreached nodes of part `p`, level by level:
  // the level structure. Leaves the nodes it reached marked as reached.
  void search(int32_t root, int32_t p) {
    queue.clear();
    level_start.assign(1, 0);
    queue.push_back(root);
    mark[static_cast<std::size_t>(root)] = -p;
    for (std::size_t head = 0; head < queue.size();) {
      const std::size_t end = queue.size();
      level_start.push_back(end);
      for (; head < end; ++head) {
        const auto v = static_cast<std::size_t>(queue[head]);
        for (int32_t at = g.first[v]; at < g.first[v + 1]; ++at) {
          const auto w = static_cast<std::size_t>(g.next[static_cast<std::size_t>(at)]);
          if (mark[w] != p) continue;
          mark[w] = -p;
          queue.push_back(static_cast<int32_t>(w));
        }
      }
    }
  }

  // The reached nodes of the last search back in the part, for another search of it.
  void unreach(int32_t p) {
    for (int32_t v : queue) mark[static_cast<std::size_t>(v)] = p;
  }

  std::size_t levels() const { return level_start.size() - 1; }

  // Splits `t` (one part) into what the stack takes next: its connected components, or its
  // two sides and the separator between them; a part too small or without a separator is
  // placed as it is.
  void split(task& t, std::vector<task>& stack) {
    if (t.separator || t.nodes.size() <= leaf) {
      order.insert(order.end(), t.nodes.begin(), t.nodes.end());
      return;
    }
    const int32_t p = ++parts;
    if (t.levels.empty()) {
      for (int32_t v : t.nodes) mark[static_cast<std::size_t>(v)] = p;
      search(t.nodes.front(), p);
    } else {
      for (int32_t v : t.nodes) mark[static_cast<std::size_t>(v)] = -p;  // as reached by that search
      queue.assign(t.nodes.begin(), t.nodes.end());
      level_start.assign(t.levels.begin(), t.levels.end());
    }
    if (queue.size() < t.nodes.size()) {
      // Several components: each is ordered on its own, in the order of the part.
      std::vector<task> components;
      components.push_back({queue, false, {}});
      for (int32_t v : t.nodes) {
        if (mark[static_cast<std::size_t>(v)] != p) continue;
        search(v, p);
        components.push_back({queue, false, {}});
      }
      for (auto c = components.rbegin(); c != components.rend(); ++c) stack.push_back(std::move(*c));
      return;
    }
    // A pseudo-peripheral root: one more search from the narrowest node of the last level,
    // kept when it is deeper.
    const std::size_t depth = levels();
    int32_t far = queue[level_start[depth - 1]];
    for (std::size_t at = level_start[depth - 1]; at < queue.size(); ++at) {
      const auto v = static_cast<std::size_t>(queue[at]);
      const auto f = static_cast<std::size_t>(far);
      if (g.first[v + 1] - g.first[v] < g.first[f + 1] - g.first[f]) far = queue[at];
    }
    unreach(p);
    queue.swap(kept_queue);
    level_start.swap(kept_start);
    search(far, p);
    if (levels() <= depth) {
      queue.swap(kept_queue);
      level_start.swap(kept_start);
    }
    if (levels() < 3) {
      order.insert(order.end(), queue.begin(), queue.end());
      return;
    }
    // The smallest level with at least 30 % of the part on each side; failing that, the
    // level that holds the middle node. A large graph's first cut keeps 48 % on each side
    // where a level does: its two sides are ordered, and factorised, on the two cores.
    const std::size_t n = queue.size();
    const std::size_t least_side = p == 1 && n >= concurrent_dissection_rows ? 48 : 30;  // per cent
    std::size_t cut = 0;
    for (std::size_t share : {least_side, std::size_t{30}}) {
      for (std::size_t l = 1; l + 1 < levels(); ++l) {
        const std::size_t below = level_start[l], above = n - level_start[l + 1];
        if (100 * below < share * n || 100 * above < share * n) continue;
        if (cut == 0 || level_start[l + 1] - level_start[l] < level_start[cut + 1] - level_start[cut]) cut = l;
      }
      if (cut != 0) break;
    }
    if (cut == 0) {
      cut = 1;
      while (cut + 2 < levels() && 2 * level_start[cut + 1] < n) ++cut;
    }
    const auto at = [&](std::size_t l) { return queue.begin() + static_cast<std::ptrdiff_t>(level_start[l]); };
    stack.push_back({std::vector<int32_t>(at(cut), at(cut + 1)), true, {}});
    stack.push_back({std::vector<int32_t>(at(cut + 1), queue.end()), false, {}});
    // The side before the separator is the levels of this search that lie before it: a
    // search from the same root over that side alone finds the same levels, each in the
    // same order, since every shortest path to them stays among them.
    stack.push_back({std::vector<int32_t>(queue.begin(), at(cut)), false,
                     std::vector<std::size_t>(level_start.begin(), level_start.begin() + static_cast<std::ptrdiff_t>(cut) + 1)});
  }
};

}  // namespace

std::vector<int32_t> nested_dissection(const Eigen::SparseMatrix<double>& lower, std::size_t leaf, bool concurrent) {
  return nested_dissection(adjacency_of(lower), leaf, concurrent);
}

std::vector<int32_t> nested_dissection(const adjacency& g, std::size_t leaf, bool concurrent) {
  const std::size_t n = g.first.empty() ? 0 : g.first.size() - 1;
  std::vector<int32_t> mark(n, 0);
  dissector d(g, std::max<std::size_t>(leaf, 1), mark);
  d.order.reserve(n);
  task whole;
  whole.nodes.resize(n);
  std::iota(whole.nodes.begin(), whole.nodes.end(), 0);
  std::vector<task> stack;
  d.split(whole, stack);
  // Split into two sides and a separator (on the stack in that order, the lower side last):
  // the upper side is ordered on another thread, and its order goes where one thread's
  // would, after the lower side's and before the separator.
  if (!concurrent || n < concurrent_dissection_rows || stack.size() != 3 || !stack[0].separator) {
    d.run(stack);
    return std::move(d.order);
  }
  const task separator = std::move(stack[0]);
  std::vector<task> upper_stack;
  upper_stack.push_back(std::move(stack[1]));
  stack.erase(stack.begin(), stack.begin() + 2);
  dissector upper(g, d.leaf, mark, d.parts);
  upper.order.reserve(upper_stack.back().nodes.size());
  std::exception_ptr failure;
  {
    std::jthread worker([&] {
      try {
        upper.run(upper_stack);
      } catch (...) {
        failure = std::current_exception();
      }
    });
    d.run(stack);
  }
  if (failure) std::rethrow_exception(failure);
  d.order.insert(d.order.end(), upper.order.begin(), upper.order.end());
  d.order.insert(d.order.end(), separator.nodes.begin(), separator.nodes.end());
  return std::move(d.order);
}

std::vector<int32_t> postordered(const adjacency& g, const std::vector<int32_t>& order, std::vector<int32_t>* tree) {
  const std::size_t n = order.size();
  std::vector<int32_t> position(n);
  for (std::size_t k = 0; k < n; ++k) position[static_cast<std::size_t>(order[k])] = static_cast<int32_t>(k);
  // The elimination tree of the matrix in `order`: row k's earlier neighbours climb to their
  // roots, each path compressed to k (Liu's algorithm).
  std::vector<int32_t> parent(n, -1), ancestor(n, -1);
  for (std::size_t k = 0; k < n; ++k) {
    const auto v = static_cast<std::size_t>(order[k]);
    for (int32_t at = g.first[v]; at < g.first[v + 1]; ++at) {
      for (int32_t i = position[static_cast<std::size_t>(g.next[static_cast<std::size_t>(at)])]; i != -1 && i < static_cast<int32_t>(k);) {
        const int32_t up = ancestor[static_cast<std::size_t>(i)];
        ancestor[static_cast<std::size_t>(i)] = static_cast<int32_t>(k);
        if (up == -1) parent[static_cast<std::size_t>(i)] = static_cast<int32_t>(k);
        i = up;
      }
    }
  }
  // Depth first from each root, children in the order they come: a subtree the dissection
  // left consecutive stays as it was.
  std::vector<int32_t> first_child(n, -1), sibling(n, -1);
  for (std::size_t j = n; j-- > 0;) {
    const int32_t up = parent[j];
    if (up == -1) continue;
    sibling[j] = first_child[static_cast<std::size_t>(up)];
    first_child[static_cast<std::size_t>(up)] = static_cast<int32_t>(j);
  }
  std::vector<int32_t> result, stack, place;  // place[k]: where row k of `order` goes
  result.reserve(n);
  if (tree) place.resize(n);
  for (std::size_t root = 0; root < n; ++root) {
    if (parent[root] != -1) continue;
    stack.push_back(static_cast<int32_t>(root));
    while (!stack.empty()) {
      const auto top = static_cast<std::size_t>(stack.back());
      const int32_t child = first_child[top];
      if (child == -1) {
        stack.pop_back();
        if (tree) place[top] = static_cast<int32_t>(result.size());
        result.push_back(order[top]);
      } else {
        first_child[top] = sibling[static_cast<std::size_t>(child)];  // the next child, when this one is done
        stack.push_back(child);
      }
    }
  }
  if (tree) {
    tree->assign(n, -1);
    for (std::size_t k = 0; k < n; ++k)
      if (parent[k] != -1) (*tree)[static_cast<std::size_t>(place[k])] = place[static_cast<std::size_t>(parent[k])];
  }
  return result;
}

}  // namespace kalvane::newton
