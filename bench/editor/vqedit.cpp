// Our side of the field editor benchmark (see vqeditc.c for the C side), the
// large-object editor driven offscreen on row 1 of TABLE, opened as the data
// window opens it (FetchRows 15, FetchAll off):
//   vqedit hex TABLE           the click (Execute) to the first painted rows
//                              of the tab the editor opens on (Hex for a
//                              binary value); memory growth from before the
//                              query to then
//   vqedit text|rich TABLE     the Text or Rich tab clicked on the value: the
//                              time until the whole value is in, the longest
//                              the event loop was held from the click until
//                              then, the peak growth over the resident size
//                              before opening, the resident size after closing
//   vqedit text-escape|rich-escape TABLE
//                              the same, Escape pressed 300 ms after the click:
//                              the time until the window is gone
// Prints name=value lines: times in ms, memory in KiB.
#include "../common/VqBenchDb.h"
#include "dataview/HexView.h"
#include "dataview/Pharostine.h"
#include "dataview/UCommonFieldEditForm.h"
#include "dataview/UDBViewFormSelector.h"
#include "dataview/viewers/UAlterBlobHexDBViewForm.h"
#include "dataview/viewers/UMemoDBViewForm.h"
#include "dataview/viewers/USimpleRichDBViewForm.h"
#include "platform/dac/UDataSource.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

using vqbenchdb::ResetPeak;
using vqbenchdb::StatusKb;

std::unique_ptr<TUniConnection> Connect()
{
    return vqbenchdb::Connect(QStringLiteral("vqbench_ed"));
}

struct TRun {
    std::unique_ptr<TUniConnection> Connection;
    TUniQuery Query;
    TDataSource Source;

    explicit TRun(const QString& table) : Connection(Connect())
    {
        Query.SetConnection(Connection.get());
        Query.SetFetchRows(15);
        Query.SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
        Query.SetSQL(QStringLiteral("select id, b from %1 where id = 1").arg(table));
        Source.SetDataSet(&Query);
    }
};

void Bind(TPharostine& editor, TRun& run)
{
    editor.SetDataField(QStringLiteral("b"));
    editor.SetDataSource(&run.Source);
}

const char* KindName(TViewKind kind)
{
    switch (kind) {
    case TViewKind::Hex: return "Hex";
    case TViewKind::Image: return "Image";
    case TViewKind::Rich: return "Rich";
    case TViewKind::Text: return "Text";
    default: return "other";
    }
}

int FirstRows(const QString& table)
{
    TRun run(table);
    const long before = StatusKb("VmRSS:");
    ResetPeak();
    run.Query.Open();
    TPharostine editor(nullptr);
    Bind(editor, run);
    TFieldEditForm* form = editor.EditForm();
    QElapsedTimer clock;
    double rowsMs = -1;
    long growth = -1;
    QString kind;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TDBViewForm* view = form->CurrentView();
        const auto* hex = view ? view->findChild<HexView*>() : nullptr;
        if (!form->isVisible() || !hex || hex->LastPaintedLine() < 0)
            return;
        rowsMs = clock.nsecsElapsed() / 1e6;
        growth = StatusKb("VmHWM:") - before;
        kind = QString::fromLatin1(KindName(view->Kind()));
        poll.stop();
        form->close();
    });
    poll.start();
    clock.start();
    editor.Execute();
    std::printf("tab=%s\nvalue_bytes=%lld\nclick_to_rows_ms=%.3f\nrss_before_kb=%ld\ngrowth_kb=%ld\n",
                qPrintable(kind), run.Query.FieldByName(QStringLiteral("b"))->DataSize(), rowsMs, before, growth);
    return rowsMs < 0 ? 1 : 0;
}

int TextTab(const QString& table, TViewKind tab, bool escape)
{
    TRun run(table);
    run.Query.Open();
    TPharostine editor(nullptr);
    Bind(editor, run);
    auto* form = static_cast<TCommonFieldEditForm*>(editor.EditForm());
    TDBViewForm* view = form->Selector()->FindView(tab);
    auto loading = [view, tab] {
        return tab == TViewKind::Text ? static_cast<TMemoDBViewForm*>(view)->Loading()
                                      : static_cast<TSimpleRichDBViewForm*>(view)->Loading();
    };
    const long before = StatusKb("VmRSS:");
    ResetPeak();
    QElapsedTimer clock;
    QElapsedTimer gap;
    double loadedMs = -1, closedMs = -1, escapeAt = -1;
    qint64 longestGap = 0;
    long growth = -1;
    bool clicked = false;
    // A 5 ms beat: the longest time between two beats is how long the event
    // loop was held.
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, gap.nsecsElapsed());
        gap.start();
        if (!clicked)
            return;
        const double now = clock.nsecsElapsed() / 1e6;
        if (escape && escapeAt < 0 && now >= 300) {
            escapeAt = now;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(form, &press);
            return;
        }
        if (loadedMs < 0 && !loading()) {
            loadedMs = now;
            growth = StatusKb("VmHWM:") - before;
            if (!escape)
                form->close();
        }
    });
    QTimer::singleShot(0, form, [&] {
        beat.start();
        gap.start();
        clock.start();
        clicked = true;
        form->PageControl()->setCurrentIndex(form->Selector()->IndexOfView(tab));
    });
    QObject::connect(form, &QDialog::finished, [&] { closedMs = clock.nsecsElapsed() / 1e6; });
    editor.Execute();
    beat.stop();
    if (growth < 0)
        growth = StatusKb("VmHWM:") - before;
    const long after = StatusKb("VmRSS:");
    std::printf("tab=%s\nvalue_bytes=%lld\nloaded_ms=%.3f\nlongest_hold_ms=%.3f\nrss_before_kb=%ld\n"
                "growth_kb=%ld\nrss_after_close_kb=%ld\n",
                KindName(tab), run.Query.FieldByName(QStringLiteral("b"))->DataSize(), loadedMs, longestGap / 1e6,
                before, growth, after);
    if (escape)
        std::printf("escape_at_ms=%.3f\nescape_to_closed_ms=%.3f\n", escapeAt, closedMs - escapeAt);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        const QString mode = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
        const QString table = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
        if (mode == QLatin1String("hex"))
            return FirstRows(table);
        if (mode == QLatin1String("text") || mode == QLatin1String("text-escape"))
            return TextTab(table, TViewKind::Text, mode.endsWith(QLatin1String("escape")));
        if (mode == QLatin1String("rich") || mode == QLatin1String("rich-escape"))
            return TextTab(table, TViewKind::Rich, mode.endsWith(QLatin1String("escape")));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: vqedit hex|text|rich|text-escape|rich-escape TABLE\n");
    return 2;
}
