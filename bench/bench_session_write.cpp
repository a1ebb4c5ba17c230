// How long the UI thread is held when the open tabs are kept on disk for a
// later start: six 2880 x 1800 tabs at ratio 2, written a moment after a
// change (the quiet time is part of each round's done_ms, not of its steps);
// and when one of them is saved as a project, as File → Save Project does.
// The projects themselves are written on the session's worker; what the UI
// thread does is copy the tabs' records and compare each document with the
// one last written. What the time and the counters mean is told in
// ui_thread_timing.h.
#include "screenshot_fixture.h"
#include "state/app_state.h"
#include "state/project_files.h"
#include "state/project_saver.h"
#include "state/session_store.h"
#include "ui_thread_timing.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lustrelab;
using bench::measure;

namespace {

struct Session
{
    QTemporaryDir dir;
    AppState state{dir.path()};
    ProjectFiles storage;
    SessionStore store{state, storage, dir.filePath(QStringLiteral("session"))};
    int writes = 0;

    Session()
    {
        for (int i = 0; i < 6; ++i) {
            state.loadImage(bench::makeScreenshot(), i > 0);
            state.addShapeOverlay(ShapeType::rectangle);
        }
        QObject::connect(&store, &SessionStore::written, [this] { ++writes; });
        store.follow();
        bench::settle(state);
        bench::runUntil([this] { return writes > 0 && !store.isWriting(); }, 60000);
    }

    bool writtenSince(int before) const { return writes > before && !store.isWriting(); }
};

// Another tab becomes current: only the session's index is written again.
void BM_SessionAfterTabSwitch(benchmark::State& state)
{
    Session session;
    int before = 0, next = 0;
    measure(
        state, session.state,
        [&] {
            before = session.writes;
            next = (next + 1) % int(session.state.tabs().size());
            session.state.selectTab(session.state.tabs()[next].id);
        },
        [&] { return session.writtenSince(before); });
}
BENCHMARK(BM_SessionAfterTabSwitch)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

// A shape of the current tab moves: that tab's project, its preview
// included, is written again; the composition's own steps count too.
void BM_SessionAfterEdit(benchmark::State& state)
{
    Session session;
    int before = 0, step = 0;
    measure(
        state, session.state,
        [&] {
            before = session.writes;
            ShapeOverlay moved = session.state.currentShapeOverlays().constFirst();
            moved.startPoint.x += (++step % 2 ? 0.01 : -0.01);
            session.state.updateShapeOverlay(moved);
        },
        [&] { return session.writtenSince(before) && !session.state.isProcessing(); });
}
BENCHMARK(BM_SessionAfterEdit)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

// Save Project on the current tab: done_ms is the whole save, the time the
// longest UI-thread step on the way.
void BM_SaveProjectFromTheWindow(benchmark::State& state)
{
    Session session;
    ProjectSaver saver(session.state, session.storage);
    const QString path = session.dir.filePath(QStringLiteral("saved.lustrelab"));
    bool saved = false;
    QObject::connect(&saver, &ProjectSaver::finished, [&] { saved = true; });
    measure(
        state, session.state,
        [&] {
            saved = false;
            saver.save(*session.state.currentTabId(), path);
        },
        [&] { return saved; });
}
BENCHMARK(BM_SaveProjectFromTheWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks<bench::TimedApplication>(argc, argv);
}
