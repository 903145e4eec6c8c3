// icon_maker ICON.svg SIZE OUT.png
// Renders one of the programs' icons as a square PNG of SIZE pixels. The
// icons are drawn by hand in plain SVG shapes (rect with rx, circle,
// ellipse, line and polygon with fill, stroke, stroke-width and
// stroke-linecap, in the viewBox's units); this draws those shapes, so the
// SVG stays the one source of each icon. Anything else in the file is a
// "Can't ..." error and exit status 1; wrong arguments give status 2.
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QXmlStreamReader>

#include <cstdio>
#include <string>

namespace {

constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;
constexpr int kMinSize = 8;
constexpr int kMaxSize = 1024;

double Number(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toDouble();
}

// The shape's pen and brush from its fill and stroke ("none" or missing:
// nothing).
void SetPaint(QPainter& painter, const QXmlStreamAttributes& attributes) {
    const QString fill = attributes.value(QLatin1String("fill")).toString();
    const QString stroke = attributes.value(QLatin1String("stroke")).toString();
    painter.setBrush(fill.isEmpty() || fill == "none" ? QBrush(Qt::NoBrush) : QBrush(QColor(fill)));
    if (stroke.isEmpty() || stroke == "none") {
        painter.setPen(Qt::NoPen);
        return;
    }
    QPen pen{QColor(stroke)};
    const double width = Number(attributes, "stroke-width");
    pen.setWidthF(width > 0.0 ? width : 1.0);
    const bool round = attributes.value(QLatin1String("stroke-linecap")) == QLatin1String("round");
    pen.setCapStyle(round ? Qt::RoundCap : Qt::FlatCap);
    painter.setPen(pen);
}

QPolygonF Points(const QString& text) {
    QPolygonF polygon;
    for (const QString& pair : text.split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = pair.split(',');
        if (xy.size() == 2) {
            polygon << QPointF(xy[0].toDouble(), xy[1].toDouble());
        }
    }
    return polygon;
}

// Draws one element; false for an element this tool does not draw.
bool DrawShape(QPainter& painter, const QStringView name, const QXmlStreamAttributes& a) {
    SetPaint(painter, a);
    if (name == QLatin1String("rect")) {
        const double radius = Number(a, "rx");
        painter.drawRoundedRect(
            QRectF(Number(a, "x"), Number(a, "y"), Number(a, "width"), Number(a, "height")), radius,
            radius);
    } else if (name == QLatin1String("circle")) {
        const double r = Number(a, "r");
        painter.drawEllipse(QPointF(Number(a, "cx"), Number(a, "cy")), r, r);
    } else if (name == QLatin1String("ellipse")) {
        painter.drawEllipse(QPointF(Number(a, "cx"), Number(a, "cy")), Number(a, "rx"),
                            Number(a, "ry"));
    } else if (name == QLatin1String("line")) {
        painter.drawLine(QPointF(Number(a, "x1"), Number(a, "y1")),
                         QPointF(Number(a, "x2"), Number(a, "y2")));
    } else if (name == QLatin1String("polygon")) {
        painter.drawPolygon(Points(a.value(QLatin1String("points")).toString()));
    } else {
        return false;
    }
    return true;
}

int Render(const char* svgPath, int size, const char* pngPath) {
    QFile file(QString::fromLocal8Bit(svgPath));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "Can't read %s: %s\n", svgPath, qPrintable(file.errorString()));
        return kExitBadInput;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (reader.name() == QLatin1String("svg")) {
            const QStringList box =
                reader.attributes().value(QLatin1String("viewBox")).toString().split(' ');
            const double width = box.size() == 4 ? box[2].toDouble() : 0.0;
            if (!(width > 0.0)) {
                std::fprintf(stderr, "Can't draw %s: the svg has no viewBox\n", svgPath);
                return kExitBadInput;
            }
            painter.scale(size / width, size / width);
            continue;
        }
        if (!DrawShape(painter, reader.name(), reader.attributes())) {
            std::fprintf(stderr, "Can't draw %s: no shape <%s>\n", svgPath,
                         qPrintable(reader.name().toString()));
            return kExitBadInput;
        }
    }
    if (reader.hasError()) {
        std::fprintf(stderr, "Can't read %s: %s\n", svgPath, qPrintable(reader.errorString()));
        return kExitBadInput;
    }
    painter.end();
    if (!image.save(QString::fromLocal8Bit(pngPath), "PNG")) {
        std::fprintf(stderr, "Can't save %s\n", pngPath);
        return kExitBadInput;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: icon_maker ICON.svg SIZE OUT.png\n");
        return kExitUsage;
    }
    bool number = false;
    const int size = QByteArray(argv[2]).toInt(&number);
    if (!number || size < kMinSize || size > kMaxSize) {
        std::fprintf(stderr, "Can't render at %s pixels: %d to %d\n", argv[2], kMinSize, kMaxSize);
        return kExitUsage;
    }
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return Render(argv[1], size, argv[3]);
}
