// Says whether a screenshot of the main window shows the note-reading
// picture: the expected note in blue and a staff and keyboard around it,
// not a black or empty frame. With --no-note, the staff and keyboard with
// no note on show (a first start, before the learner starts a lesson).
// With --screen IN.xwd OUT.png, a dump of the whole virtual screen (Xvfb's
// -fbdir file) is kept as OUT.png and must show windows with something
// drawn in them: many colours and not mostly black.
// Exit code 0 when it does.
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>

namespace {
constexpr int kMinimumNoteHead = 20;      // blue pixels of the note on show
constexpr int kMinimumColours = 16;       // a blank or black frame has a handful
constexpr double kMinimumLitShare = 0.1;  // of a screen's pixels that are not black
constexpr int kDarkLevel = 16;            // channels at or below it count as black

// The fields of an XWD header, each a big-endian 32-bit number.
enum XWD_FIELD {
    kHeaderSize = 0,
    kFormat = 2,
    kWidth = 4,
    kHeight = 5,
    kByteOrder = 7,
    kBitsPerPixel = 11,
    kBytesPerLine = 12,
    kColours = 19,
    kFieldCount = 25
};
constexpr uint32_t kZPixmap = 2;
constexpr int kColourEntrySize = 12;

uint32_t Field(const QByteArray& data, int field) {
    const auto* at = reinterpret_cast<const unsigned char*>(data.constData()) + 4 * field;
    return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}

// A 32-bit ZPixmap XWD file as an image; a null image for anything else.
QImage ReadXwd(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return QImage();
    }
    const QByteArray data = file.readAll();
    if (data.size() < 4 * kFieldCount || Field(data, kFormat) != kZPixmap ||
        Field(data, kBitsPerPixel) != 32) {
        return QImage();
    }
    const int width = static_cast<int>(Field(data, kWidth));
    const int height = static_cast<int>(Field(data, kHeight));
    const qint64 line = Field(data, kBytesPerLine);
    const qint64 start =
        qint64{Field(data, kHeaderSize)} + qint64{Field(data, kColours)} * kColourEntrySize;
    if (width <= 0 || height <= 0 || line < 4 * width || start + line * height > data.size()) {
        return QImage();
    }
    const bool mostFirst = Field(data, kByteOrder) != 0;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const unsigned char*>(data.constData() + start + line * y);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = row + 4 * x;
            target[x] = mostFirst ? qRgb(p[1], p[2], p[3]) : qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}

int CheckScreen(const char* xwdPath, const char* pngPath) {
    const QImage screen = ReadXwd(xwdPath);
    if (screen.isNull()) {
        std::fprintf(stderr, "can't read %s as a 32-bit screen dump\n", xwdPath);
        return 1;
    }
    if (!screen.save(QString::fromLocal8Bit(pngPath), "PNG")) {
        std::fprintf(stderr, "can't save %s\n", pngPath);
        return 1;
    }
    std::set<QRgb> colours;
    long lit = 0;
    for (int y = 0; y < screen.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb pixel = line[x];
            lit +=
                qRed(pixel) > kDarkLevel || qGreen(pixel) > kDarkLevel || qBlue(pixel) > kDarkLevel
                    ? 1
                    : 0;
            if (colours.size() < 1000) {
                colours.insert(pixel);
            }
        }
    }
    const double share =
        static_cast<double>(lit) / (static_cast<double>(screen.width()) * screen.height());
    std::printf("%dx%d screen, %.0f%% not black, %zu colours or more\n", screen.width(),
                screen.height(), share * 100.0, colours.size());
    return share >= kMinimumLitShare && static_cast<int>(colours.size()) >= kMinimumColours ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--screen") == 0) {
        return CheckScreen(argv[2], argv[3]);
    }
    const bool noNote = argc == 3 && std::strcmp(argv[1], "--no-note") == 0;
    if (argc != 2 && !noNote) {
        std::fprintf(stderr,
                     "usage: image-check [--no-note] FILE.png\n"
                     "       image-check --screen IN.xwd OUT.png\n");
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
