// Says whether a screenshot of the main window shows the note-reading
// picture: the expected note in blue and a staff and keyboard around it,
// not a black or empty frame. With --no-note, the staff and keyboard with
// no note on show (a first start, before the learner starts a lesson).
// Exit code 0 when it does.
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstring>
#include <set>

namespace {
constexpr int kMinimumNoteHead = 20;  // blue pixels of the note on show
constexpr int kMinimumColours = 16;   // a blank or black frame has a handful
}  // namespace

int main(int argc, char** argv) {
    const bool noNote = argc == 3 && std::strcmp(argv[1], "--no-note") == 0;
    if (argc != 2 && !noNote) {
        std::fprintf(stderr, "usage: image-check [--no-note] FILE.png\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "can't read %s as a picture\n", path);
        return 1;
    }
    int blue = 0;
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            blue += b > 200 && r < 30 && g < 30 ? 1 : 0;
            if (colours.size() < 1000) {
                colours.insert(line[x]);
            }
        }
    }
    std::printf("%dx%d, %d blue note pixels, %zu colours or more\n", image.width(), image.height(),
                blue, colours.size());
    const bool noteRight = noNote ? blue == 0 : blue >= kMinimumNoteHead;
    return noteRight && static_cast<int>(colours.size()) >= kMinimumColours ? 0 : 1;
}
