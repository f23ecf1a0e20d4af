// Loading and saving sheets of 10,000, 100,000 and 1,000,000 plain lines, and of a generated
// plant sheet of 10,000 components. Loading is the whole of ParseSheet (JSON text -> checked
// drawing with its R-tree); saving is the whole of SerializeSheet (drawing -> JSON text). The
// text and the drawing are made outside the timed part. The counters give elements (or
// components) per second, the figure docs/performance.md quotes: it must stay flat as the
// sheet grows, since a load that slows per element with the sheet's size is what once made a
// 100,000-line sheet unreadable.
#include <benchmark/benchmark.h>

#include <string>

#include "io/sheet_file.h"
#include "io/sheet_generator.h"

namespace {

using namespace zkl;

// The lines lie on a grid, so that the R-tree sees a drawing rather than one stack of
// equal ranges.
std::string LineSheet(int lines) {
    std::string text =
        R"({"format": "zkl-sheet", "version": 1, "levels": [{"name": "Default"}], "elements": [)";
    text += '\n';
    for (int i = 0; i < lines; ++i) {
        const std::string x = std::to_string(i % 1000);
        const std::string y = std::to_string(i / 1000);
        text += (i == 0 ? "" : ",\n");
        text += R"({"id": )" + std::to_string(i + 1) + R"(, "type": "line", "vertices": [[)" + x + ", " + y +
                ", 0], [" + x + ".5, " + y + ".5, 0]]}";
    }
    text += "\n]}\n";
    return text;
}

void SetRate(benchmark::State& state, int lines) {
    state.counters["elements_per_s"] =
        benchmark::Counter(static_cast<double>(lines) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_LoadSheet(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const std::string text = LineSheet(lines);
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        cad::Drawing drawing = io::ParseSheet(text, "lines.json", ".");
        benchmark::DoNotOptimize(drawing);
        // Freeing a million elements is not loading them.
        state.PauseTiming();
        drawing = cad::Drawing();
        state.ResumeTiming();
    }
    SetRate(state, lines);
}

void BM_SaveSheet(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const cad::Drawing drawing = io::ParseSheet(LineSheet(lines), "lines.json", ".");
    for (auto _ : state) {
        std::string text = io::SerializeSheet(drawing, ".");
        benchmark::DoNotOptimize(text);
    }
    SetRate(state, lines);
}

// A generated plant sheet: component cells with their properties in a reference attachment,
// a grid, a frame; what a real project's sheet holds, unlike the plain lines above.
cad::Drawing PlantSheet(int components) {
    io::SheetGeneratorOptions options;
    options.components = components;
    options.seed = 1;
    return io::GenerateSheet(options);
}

void BM_LoadPlantSheet(benchmark::State& state) {
    const int components = static_cast<int>(state.range(0));
    const std::string text = io::SerializeSheet(PlantSheet(components), ".");
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        cad::Drawing drawing = io::ParseSheet(text, "plant.json", ".");
        benchmark::DoNotOptimize(drawing);
        state.PauseTiming();
        drawing = cad::Drawing();
        state.ResumeTiming();
    }
    SetRate(state, components);
}

void BM_SavePlantSheet(benchmark::State& state) {
    const int components = static_cast<int>(state.range(0));
    const cad::Drawing drawing = PlantSheet(components);
    for (auto _ : state) {
        std::string text = io::SerializeSheet(drawing, ".");
        benchmark::DoNotOptimize(text);
    }
    SetRate(state, components);
}

BENCHMARK(BM_LoadSheet)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSheet)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_LoadPlantSheet)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlantSheet)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
