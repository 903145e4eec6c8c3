// Time to load and lay out a tutorial document of one 900 KB line in the
// Text dialog's document display (Qt, 400 x 500 pixels): the line without
// a single space, and the same letters as words of seven. The line is cut to
// CTextCtrl::kMaxLineLength bytes on load; the last case shows what the
// cut line would cost Qt without the break opportunities the display adds,
// and the whole line, not cut, shows that the layout stays linear.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBrowser>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "platform/qt/QtBackend.h"
#include "platform/qt/QtDocumentDialog.h"
#include "platform/qt/QtDocumentWidget.h"
#include "ui/TextCtrl.h"

namespace {

constexpr size_t kLineBytes = 900 * 1000;
constexpr size_t kWordLetters = 7;
constexpr int kLetters = 26;
constexpr WINDOW_RECT kDialogRect{0, 0, 400, 500};

// The letters of the long line, with a space after every word when words.
std::string LongLine(bool words) {
    std::string line;
    line.reserve(kLineBytes);
    while (line.size() < kLineBytes) {
        const bool space = words && line.size() % (kWordLetters + 1) == kWordLetters;
        line += space ? ' ' : static_cast<char>('a' + line.size() % kLetters);
    }
    return line;
}

// The two documents in a fresh folder below /tmp, made once and removed at
// exit.
class CDocuments {
public:
    CDocuments() {
        char name[] = "/tmp/notara-bench-XXXXXX";
        if (mkdtemp(name) == nullptr) {
            return;
        }
        m_folder = name;
        std::ofstream(GetPath(false), std::ios::binary) << "<1>One line\r\n" << LongLine(false);
        std::ofstream(GetPath(true), std::ios::binary) << "<1>One line\r\n" << LongLine(true);
    }
    ~CDocuments() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    std::string GetPath(bool words) const { return m_folder + (words ? "/words.txt" : "/run.txt"); }

private:
    std::string m_folder;
};

const CDocuments& Documents() {
    static const CDocuments documents;
    return documents;
}

class CNoHandler : public IWindowHandler, public IDocumentDialogHandler {
public:
    void OnMessage(int, std::unique_ptr<IPayload>) override {}
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}
    void OnListChoice(int) override {}
    void OnDocumentButton(int) override {}
};

// Waits until Qt has laid out the whole document and painted it.
void FinishLayout(QTextBrowser* view) {
    benchmark::DoNotOptimize(view->document()->documentLayout()->documentSize());
    QApplication::processEvents();
}

void LoadAndLayOut(benchmark::State& state, bool words) {
    CQtBackend backend;
    CNoHandler handler;
    std::string error;
    auto dialog = backend.GetPlatform().windowSystem->CreateDocumentDialog(&handler, &handler,
                                                                           nullptr, error);
    if (!dialog) {
        state.SkipWithError(error.c_str());
        return;
    }
    dialog->SetRect(kDialogRect);
    dialog->Show(true);
    QTextBrowser* view = static_cast<CQtDocumentDialog*>(dialog.get())->GetWidget()->GetView();
    const std::string path = Documents().GetPath(words);
    for (auto _ : state) {
        CTextCtrl text;
        if (!text.LoadFile(path.c_str())) {
            state.SkipWithError(text.GetError());
            return;
        }
        dialog->SetDocument(text.GetBlocks());
        FinishLayout(view);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLineBytes));
}

void OneLineWithoutSpaces(benchmark::State& state) {
    LoadAndLayOut(state, false);
}
BENCHMARK(OneLineWithoutSpaces)->Unit(benchmark::kMillisecond);

void OneLineOfWords(benchmark::State& state) {
    LoadAndLayOut(state, true);
}
BENCHMARK(OneLineOfWords)->Unit(benchmark::kMillisecond);

// The whole line, not cut, in the display's rich text: its layout time grows
// with the length of the line, not with its square.
void WholeLine(benchmark::State& state, bool words) {
    QTextBrowser view;
    view.resize(kDialogRect.width, kDialogRect.height);
    view.show();
    const QString html = CQtDocumentWidget::ToHtml({{DocumentStyle::kBody, LongLine(words)}});
    for (auto _ : state) {
        view.setHtml(html);
        FinishLayout(&view);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLineBytes));
}

void WholeLineWithoutSpaces(benchmark::State& state) {
    WholeLine(state, false);
}
BENCHMARK(WholeLineWithoutSpaces)->Unit(benchmark::kMillisecond)->Iterations(3);

void WholeLineOfWords(benchmark::State& state) {
    WholeLine(state, true);
}
BENCHMARK(WholeLineOfWords)->Unit(benchmark::kMillisecond)->Iterations(3);

// The cut line straight into Qt, without break opportunities.
void CutLineWithoutBreakOpportunities(benchmark::State& state) {
    QTextBrowser view;
    view.resize(kDialogRect.width, kDialogRect.height);
    view.show();
    const std::string line = LongLine(false).substr(0, CTextCtrl::kMaxLineLength);
    const QString html = "<p>" + QString::fromStdString(line) + "</p>";
    for (auto _ : state) {
        view.setHtml(html);
        FinishLayout(&view);
    }
}
BENCHMARK(CutLineWithoutBreakOpportunities)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    // Text layout needs no display; a platform the caller chose is kept.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
