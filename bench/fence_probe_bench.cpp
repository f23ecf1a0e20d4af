// Fence-probe throughput: how fast "is anything here?" answers on drawings of 10^3 to 10^5
// elements, through the engine's R-tree and through a plain linear scan over the same
// elements with the same exact test. The ratio of the two is the figure we quote.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "cad/cad_host.h"
#include "cad/drawing.h"
#include "cad/element_geometry.h"
#include "cad/fence.h"

namespace {

using namespace zkl;

// A sheet-like drawing: short pipe runs, label texts and small symbol cells scattered over
// an area whose size grows with the count, so the density (and the hit rate) stays about
// the same at every size.
cad::Drawing MakeDrawing(int count, std::uint32_t seed) {
    cad::Drawing drawing;
    drawing.levels.push_back({1, "Default"});
    std::mt19937 random(seed);
    const double side = 20.0 * std::sqrt(static_cast<double>(count));
    std::uniform_real_distribution<double> coordinate(0.0, side);
    std::uniform_real_distribution<double> length(2.0, 15.0);
    for (int i = 0; i < count; ++i) {
        const Point p{coordinate(random), coordinate(random), 0};
        Element element;
        switch (i % 4) {
            case 0: element = MakeLine(p, p + Point{length(random), 0, 0}); break;
            case 1: element = MakeLine(p, p + Point{0, length(random), 0}); break;
            case 2: {
                element = MakeText("1001-P-150", p);
                element.Text().height = 2.5;
                element.Text().width = 2.0;
                break;
            }
            default:
                element = MakeCell("VALVE", {MakeShape({p, p + Point{4, 0, 0}, p + Point{4, 3, 0}}),
                                             MakeEllipse(p + Point{2, 1, 0}, 1.0, 1.0)},
                                   p);
        }
        element.symbology.level = "Default";
        drawing.Add(ActiveModelId, element);
    }
    return drawing;
}

// Label-sized probe rectangles at random places on the drawing.
std::vector<std::vector<Point>> MakeProbes(const cad::Drawing& drawing, int count, std::uint32_t seed) {
    const Range extent = drawing.activeModel.Extent();
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> x(extent.low.x, extent.high.x);
    std::uniform_real_distribution<double> y(extent.low.y, extent.high.y);
    std::vector<std::vector<Point>> probes;
    for (int i = 0; i < count; ++i) {
        const Point low{x(random), y(random), 0};
        probes.push_back({low, low + Point{22, 0, 0}, low + Point{22, 3, 0}, low + Point{0, 3, 0}});
    }
    return probes;
}

// The same question without the index: every element's range first, the exact test second.
bool LinearScanHasContents(const cad::Drawing& drawing, const cad::Fence& fence, const FenceModes& modes) {
    const Range bounds = fence.Bounds();
    const auto styles = [&](const std::string& name) { return drawing.DimensionStyleOrDefault(name); };
    for (const auto& [id, entry] : drawing.activeModel.Entries()) {
        if (!entry.range.Overlaps2d(bounds)) continue;
        if (cad::Fence::TakesIn(fence.Relate(cad::ElementOutline(entry.element, styles)), modes)) return true;
    }
    return false;
}

constexpr int ProbeCount = 1024;

void BM_FenceProbeRTree(benchmark::State& state) {
    cad::CadHost host(MakeDrawing(static_cast<int>(state.range(0)), 7));
    const auto probes = MakeProbes(host.GetDrawing(), ProbeCount, 11);
    std::size_t next = 0;
    std::int64_t hits = 0;
    for (auto _ : state) {
        host.DefineFenceFromPoints(probes[next++ % probes.size()], 1);
        const bool hit = host.FenceHasContents();
        hits += hit ? 1 : 0;
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

void BM_FenceProbeLinearScan(benchmark::State& state) {
    const cad::Drawing drawing = MakeDrawing(static_cast<int>(state.range(0)), 7);
    const auto probes = MakeProbes(drawing, ProbeCount, 11);
    const FenceModes modes;
    std::size_t next = 0;
    std::int64_t hits = 0;
    for (auto _ : state) {
        const cad::Fence fence{probes[next++ % probes.size()]};
        const bool hit = LinearScanHasContents(drawing, fence, modes);
        hits += hit ? 1 : 0;
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_FenceProbeRTree)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FenceProbeLinearScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
