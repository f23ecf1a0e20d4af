// Importing PCF files of 1,000 and 10,000 components: the whole of what `import-pcf` does
// between reading the file and writing the sheet, that is reading the PCF text (ParsePcf),
// building the plan sheet (BuildPcfSheet: connectivity, flow order, cells, layout) and
// writing its JSON (SerializeSheet). The text is made outside the timed part. The PCF is
// what a plant export looks like at that size: pipelines of 96 components in rows of
// pipes cut into 3 m pieces, supports, elbows and a tee, coordinates near 4e8 mm, and every
// pipeline written in reverse flow order. docs/pcf-import.md quotes the figure; the goal
// is a 10,000-component import in under a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "io/pcf_reader.h"
#include "io/pcf_sheet.h"
#include "io/sheet_file.h"

namespace {

using namespace zkl;

std::string Coordinates(double x, double y, double z) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.4f %.4f %.4f", x, y, z);
    return buffer;
}

std::string Straight(const char* keyword, double x1, double y1, double x2, double y2, double z) {
    return std::string(keyword) + "\n    END-POINT " + Coordinates(x1, y1, z) + " 6 BW\n    END-POINT " +
           Coordinates(x2, y2, z) + " 6 BW\n    MATERIAL-IDENTIFIER 1\n";
}

std::string Elbow(double x1, double y1, double cx, double cy, double x2, double y2, double z) {
    return "ELBOW\n    END-POINT " + Coordinates(x1, y1, z) + " 6 BW\n    CENTRE-POINT " +
           Coordinates(cx, cy, z) + "\n    END-POINT " + Coordinates(x2, y2, z) +
           " 6 BW\n    SKEY ELBW\n    ANGLE 9000\n";
}

// One pipeline of `count` components, its blocks in reverse order.
std::string Pipeline(int number, int count, double east, double north) {
    constexpr double Leg = 228.6, Piece = 3000, Step = 2 * Leg + 500;
    std::vector<std::string> blocks;
    double y = north, x = east;
    int direction = 1;
    while (static_cast<int>(blocks.size()) < count) {
        for (int i = 0; i < 8 && static_cast<int>(blocks.size()) < count; ++i, x += direction * Piece) {
            if (i == 4) {
                blocks.push_back("TEE\n    END-POINT " + Coordinates(x, y, 4500) + " 6 BW\n    END-POINT " +
                                 Coordinates(x + direction * 286, y, 4500) + " 6 BW\n    CENTRE-POINT " +
                                 Coordinates(x + direction * 143, y, 4500) + "\n    BRANCH1-POINT " +
                                 Coordinates(x + direction * 143, y - 130, 4500) + " 4 BW\n");
                x += direction * 286;
            }
            blocks.push_back(Straight("PIPE", x, y, x + direction * Piece, y, 4500));
            if (i == 2)
                blocks.push_back("SUPPORT\n    CO-ORDS " + Coordinates(x + direction * 1500, y, 4500) +
                                 " 6\n");
        }
        blocks.push_back(Elbow(x, y, x + direction * Leg, y, x + direction * Leg, y + Leg, 4500));
        blocks.push_back(
            Straight("PIPE", x + direction * Leg, y + Leg, x + direction * Leg, y + Leg + 500, 4500));
        blocks.push_back(
            Elbow(x + direction * Leg, y + Leg + 500, x + direction * Leg, y + Step, x, y + Step, 4500));
        y += Step;
        direction = -direction;
    }
    blocks.resize(static_cast<std::size_t>(count));
    std::string text = "PIPELINE-REFERENCE " + std::to_string(number) + "-P\n    PIPING-SPEC A1A\n";
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) text += *block;
    return text;
}

std::string PlantPcf(int components) {
    std::string text = "ISOGEN-FILES ISOGEN.FLS\nUNITS-BORE INCH\nUNITS-CO-ORDS MM\n";
    constexpr int PerPipeline = 96;
    for (int i = 0; i * PerPipeline < components; ++i)
        text += Pipeline(1000 + i, std::min(PerPipeline, components - i * PerPipeline),
                         400000000.0 + (i % 10) * 35000.0, 200000000.0 + (i / 10) * 12000.0);
    return text + "MATERIALS\nITEM-CODE 1\n    DESCRIPTION PIPE SMLS ASTM A106 Gr.B\n";
}

enum class Stage { Read, Build, Write };

// Up to and including `last`; each stage's share is the difference to the one before.
void Import(benchmark::State& state, Stage last) {
    const int components = static_cast<int>(state.range(0));
    const std::string text = PlantPcf(components);
    state.counters["bytes"] = static_cast<double>(text.size());
    std::size_t imported = 0;
    for (auto _ : state) {
        const io::pcf::PcfFile file = io::ParsePcf(text, "plant.pcf");
        if (last == Stage::Read) {
            for (const auto& pipeline : file.pipelines) imported = pipeline.components.size();
            benchmark::DoNotOptimize(imported);
            continue;
        }
        std::vector<io::PcfPipeline> pipelines;
        for (const auto& pipeline : file.pipelines) pipelines.push_back({&file, &pipeline});
        io::PcfSheet sheet = io::BuildPcfSheet(pipelines, {});
        imported = sheet.components;
        if (last == Stage::Write) {
            std::string json = io::SerializeSheet(sheet.drawing, ".");
            benchmark::DoNotOptimize(json);
        }
        // Freeing the drawing is not importing it.
        state.PauseTiming();
        sheet = io::PcfSheet();
        state.ResumeTiming();
    }
    state.counters["components_per_s"] =
        benchmark::Counter(static_cast<double>(components) * state.iterations(), benchmark::Counter::kIsRate);
}

// The whole import: the figure to keep under a second at 10,000 components.
void BM_ImportPcf(benchmark::State& state) { Import(state, Stage::Write); }
void BM_ImportPcfReadOnly(benchmark::State& state) { Import(state, Stage::Read); }
void BM_ImportPcfWithoutWriting(benchmark::State& state) { Import(state, Stage::Build); }

BENCHMARK(BM_ImportPcf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportPcfReadOnly)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportPcfWithoutWriting)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
