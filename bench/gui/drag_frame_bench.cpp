// One frame of dragging a label over a generated sheet of 10,000 components, on Qt's
// offscreen platform: a mouse move and the repaint it causes. The sheet comes from the pixel
// cache and only the label is drawn anew; the frame that draws the whole sheet again (a
// wheel zoom, which cannot reuse the cache) is measured beside it for comparison. A smooth
// drag needs a frame under 16 ms (60 frames a second).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QMouseEvent>
#include <QWheelEvent>
#include <map>
#include <memory>
#include <stdexcept>

#include "app/gui/canvas.h"
#include "io/sheet_generator.h"

namespace {

using namespace zkl;

struct Scene {
    cad::Drawing drawing;
    std::unique_ptr<gui::Canvas> canvas;
};

// A label as the labeller drags it: boxed text and a leader, following the cursor.
std::vector<Element> DraggedLabel() {
    Element text = MakeText("1001-P-150-A1A BOP EL+4390", Point{0, 0, 0});
    text.Text().height = 3.0;
    text.Text().width = 2.4;
    return {text, MakeShape({{-1, -1, 0}, {64, -1, 0}, {64, 4, 0}, {-1, 4, 0}, {-1, -1, 0}}),
            MakeLine({-1, 1.5, 0}, {-20, -15, 0})};
}

Scene& TheScene(int components) {
    static std::map<int, Scene> scenes;
    Scene& scene = scenes[components];
    if (scene.canvas) return scene;
    io::SheetGeneratorOptions options;
    options.components = components;
    options.seed = 1;
    scene.drawing = io::GenerateSheet(options);
    scene.canvas = std::make_unique<gui::Canvas>();
    scene.canvas->resize(1200, 800);
    scene.canvas->show();
    // A widget paints only once its window is exposed, which takes a turn of the event loop.
    QElapsedTimer waited;
    waited.start();
    while (!(scene.canvas->windowHandle() && scene.canvas->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    scene.canvas->SetDrawing(scene.drawing);
    scene.canvas->FitToSheet();
    scene.canvas->SetTransient(scene.drawing, DraggedLabel(), Point{0, 0, 0});
    scene.canvas->repaint();  // fills the cache
    if (!scene.canvas->windowHandle() || !scene.canvas->windowHandle()->isExposed())
        throw std::runtime_error("the canvas was never shown, so nothing would be painted");
    return scene;
}

void Move(QWidget& widget, const QPointF& at) {
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

void BM_DragFrame(benchmark::State& state) {
    Scene& scene = TheScene(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        Move(*scene.canvas, QPointF(300 + (step % 200), 300 + (step % 150)));
        scene.canvas->repaint();
        ++step;
    }
}
BENCHMARK(BM_DragFrame)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FrameDrawingTheWholeSheet(benchmark::State& state) {
    Scene& scene = TheScene(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        // In and out by turns, so the view stays where it is.
        const QPointF at(600, 400);
        QWheelEvent wheel(at, scene.canvas->mapToGlobal(at), QPoint(), QPoint(0, step % 2 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(scene.canvas.get(), &wheel);
        scene.canvas->repaint();
        ++step;
    }
}
BENCHMARK(BM_FrameDrawingTheWholeSheet)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
