// Draws the 16 x 16 button pictures (an enabled and a disabled look of each) and the
// program's icon in the icon theme's sizes (icons/kotopa-N.png, and all of them in the
// Windows executables' icons/kotopa.ico), writes the built-in
// mistype wave and the graph window's background data/system/Glaph.bmp. The
// results are committed; run it again only to change them (a test checks that the
// committed background is what graph_background.cpp draws):
//   cmake --build build --target make_resources && build/resources/make_resources resources data
#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QTextStream>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "graph_background.h"

namespace {

constexpr int kSize = 16;

void Outline(QPainter& p, const QColor& c, qreal w = 1.0) {
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
}

QLinearGradient Vertical(const QColor& top, const QColor& bottom, qreal y0 = 1, qreal y1 = 15) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// Start: a green "play" triangle.
void DrawStart(QPainter& p) {
    QPolygonF tri;
    tri << QPointF(4.5, 2.5) << QPointF(13.5, 8) << QPointF(4.5, 13.5);
    p.setBrush(Vertical(QColor(120, 220, 110), QColor(30, 140, 40)));
    Outline(p, QColor(20, 90, 25));
    p.drawPolygon(tri);
}

// End: a red "stop" square.
void DrawEnd(QPainter& p) {
    p.setBrush(Vertical(QColor(245, 120, 110), QColor(190, 30, 25)));
    Outline(p, QColor(120, 20, 15));
    p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.5, 1.5);
}

// Options: three sliders with their knobs.
void DrawOptions(QPainter& p) {
    const qreal ys[] = {3.5, 8, 12.5};
    const qreal knobs[] = {10.5, 5.5, 8.5};
    for (int i = 0; i < 3; ++i) {
        Outline(p, QColor(90, 90, 100), 1.4);
        p.drawLine(QPointF(2, ys[i]), QPointF(14, ys[i]));
        p.setBrush(Vertical(QColor(130, 180, 250), QColor(40, 90, 190), ys[i] - 2, ys[i] + 2));
        Outline(p, QColor(25, 55, 130));
        p.drawRoundedRect(QRectF(knobs[i] - 1.5, ys[i] - 2.5, 3, 5), 1, 1);
    }
}

// Open file: an open yellow folder.
void DrawFileOpen(QPainter& p) {
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(12.5, 5);
    back.lineTo(12.5, 13.5);
    back.closeSubpath();
    p.setBrush(Vertical(QColor(250, 215, 120), QColor(220, 165, 40)));
    Outline(p, QColor(140, 95, 20));
    p.drawPath(back);
    QPolygonF front;
    front << QPointF(1.5, 13.5) << QPointF(4, 7.5) << QPointF(15, 7.5) << QPointF(12.5, 13.5);
    p.setBrush(Vertical(QColor(255, 235, 160), QColor(240, 190, 70), 7, 14));
    p.drawPolygon(front);
}

// Graph: axes and a rising line.
void DrawGraph(QPainter& p) {
    p.setBrush(QColor(255, 255, 255));
    Outline(p, QColor(110, 110, 120));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    Outline(p, QColor(60, 60, 70));
    p.drawLine(QPointF(3.5, 3), QPointF(3.5, 12.5));
    p.drawLine(QPointF(3.5, 12.5), QPointF(13, 12.5));
    QPolygonF line;
    line << QPointF(4.5, 10.5) << QPointF(7, 7.5) << QPointF(9.5, 9) << QPointF(12.5, 4);
    Outline(p, QColor(220, 50, 40), 1.5);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
}

// Help: a blue disc with a question mark.
void DrawHelp(QPainter& p) {
    QRadialGradient g(6, 5, 9);
    g.setColorAt(0, QColor(140, 190, 255));
    g.setColorAt(1, QColor(30, 80, 190));
    p.setBrush(g);
    Outline(p, QColor(20, 50, 130));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QPainterPath q;
    q.moveTo(5.8, 6.2);
    q.cubicTo(5.8, 3.6, 10.4, 3.6, 10.4, 6.2);
    q.cubicTo(10.4, 7.8, 8.1, 7.9, 8.1, 9.6);
    Outline(p, QColor(255, 255, 255), 1.7);
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QRectF(7.1, 10.7, 2, 2));
}

// Key customisation: a keyboard.
void DrawKeyboard(QPainter& p) {
    p.setBrush(Vertical(QColor(235, 235, 240), QColor(180, 180, 190), 4, 13));
    Outline(p, QColor(80, 80, 90));
    p.drawRoundedRect(QRectF(0.5, 3.5, 15, 9), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 85));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 6; ++col) {
            p.drawRect(QRectF(2 + col * 2 + (row ? 1 : 0), 5 + row * 2, 1, 1));
        }
    }
    p.drawRect(QRectF(4, 9.5, 8, 1.2));
}

// Next Act: a green arrow to the right.
void DrawNext(QPainter& p) {
    QPolygonF arrow;
    arrow << QPointF(1.5, 6) << QPointF(8, 6) << QPointF(8, 2.5) << QPointF(14.5, 8)
          << QPointF(8, 13.5) << QPointF(8, 10) << QPointF(1.5, 10);
    p.setBrush(Vertical(QColor(130, 215, 120), QColor(35, 135, 45)));
    Outline(p, QColor(20, 85, 25));
    p.drawPolygon(arrow);
}

// Play again: a circular arrow.
void DrawReplay(QPainter& p) {
    QPainterPath arc;
    arc.arcMoveTo(QRectF(3, 3, 10, 10), 110);
    arc.arcTo(QRectF(3, 3, 10, 10), 110, 290);
    Outline(p, QColor(40, 90, 190), 2.2);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPolygonF head;
    head << QPointF(4.2, 0.8) << QPointF(9.6, 3.4) << QPointF(4.6, 6.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 190));
    p.drawPolygon(head);
}

// Export the graph: a floppy disk whose label carries a rising red line.
void DrawToBmp(QPainter& p) {
    QPainterPath body;
    body.moveTo(1.5, 1.5);
    body.lineTo(12, 1.5);
    body.lineTo(14.5, 4);
    body.lineTo(14.5, 14.5);
    body.lineTo(1.5, 14.5);
    body.closeSubpath();
    p.setBrush(Vertical(QColor(110, 150, 230), QColor(35, 70, 160)));
    Outline(p, QColor(20, 40, 110));
    p.drawPath(body);
    p.setBrush(Vertical(QColor(235, 235, 240), QColor(175, 175, 185), 1.5, 6));
    Outline(p, QColor(90, 90, 100));
    p.drawRect(QRectF(4.5, 1.5, 6, 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(8, 2.5, 1.5, 2.5));
    p.setBrush(QColor(255, 255, 255));
    Outline(p, QColor(90, 90, 100));
    p.drawRect(QRectF(3.5, 8.5, 9, 6));
    QPolygonF line;
    line << QPointF(4.8, 13) << QPointF(7, 11) << QPointF(9, 12) << QPointF(11.3, 9.8);
    Outline(p, QColor(220, 50, 40), 1.3);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
}

// Close: a door standing open, with a green arrow leading out.
void DrawClose(QPainter& p) {
    p.setBrush(QColor(70, 60, 55));
    Outline(p, QColor(60, 45, 35));
    p.drawRect(QRectF(2.5, 1.5, 8, 13));
    QPolygonF door;
    door << QPointF(2.5, 1.5) << QPointF(8, 3) << QPointF(8, 16) << QPointF(2.5, 14.5);
    p.setBrush(Vertical(QColor(215, 160, 95), QColor(150, 95, 40)));
    Outline(p, QColor(100, 60, 25));
    p.drawPolygon(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 220, 110));
    p.drawEllipse(QRectF(6, 8.5, 1.6, 1.6));
    QPolygonF arrow;
    arrow << QPointF(9, 7) << QPointF(12, 7) << QPointF(12, 4.8) << QPointF(15.5, 8.5)
          << QPointF(12, 12.2) << QPointF(12, 10) << QPointF(9, 10);
    p.setBrush(Vertical(QColor(130, 215, 120), QColor(35, 135, 45), 4.8, 12.2));
    Outline(p, QColor(20, 85, 25));
    p.drawPolygon(arrow);
}

// Cancel: a red cross.
void DrawCancel(QPainter& p) {
    Outline(p, QColor(120, 20, 15), 4.2);
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
    Outline(p, QColor(230, 70, 60), 2.4);
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

// Play log: a page with lines of text.
void DrawLog(QPainter& p) {
    QPolygonF page;
    page << QPointF(2.5, 1.5) << QPointF(10, 1.5) << QPointF(13.5, 5) << QPointF(13.5, 14.5)
         << QPointF(2.5, 14.5);
    p.setBrush(QColor(255, 255, 255));
    Outline(p, QColor(90, 90, 100));
    p.drawPolygon(page);
    p.setBrush(QColor(210, 210, 220));
    QPolygonF fold;
    fold << QPointF(10, 1.5) << QPointF(10, 5) << QPointF(13.5, 5);
    p.drawPolygon(fold);
    Outline(p, QColor(60, 110, 200));
    for (int i = 0; i < 4; ++i) p.drawLine(QPointF(4.5, 6.5 + 2 * i), QPointF(11.5, 6.5 + 2 * i));
}

// The program's icon, drawn afresh at each size of the desktop's icon theme: a white key
// cap with the katakana コ (for KotoPA) in red, on an indigo tile. Drawn on a 256 grid.
QImage AppIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    // Small sizes keep their shapes clear of the edge pixels.
    const qreal m = size <= 24 ? 6 : 12;
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(QColor(72, 96, 200), QColor(34, 48, 130), m, 256 - m));
    p.drawRoundedRect(QRectF(m, m, 256 - 2 * m, 256 - 2 * m), 44, 44);
    // The key cap: its darker sides, then its face.
    p.setBrush(QColor(150, 145, 135));
    p.drawRoundedRect(QRectF(40, 46, 176, 172), 28, 28);
    p.setBrush(Vertical(QColor(255, 255, 255), QColor(228, 223, 210), 52, 190));
    p.drawRoundedRect(QRectF(52, 50, 152, 142), 22, 22);
    // コ: the top, the right and the bottom stroke, in one path.
    QPainterPath ko;
    ko.moveTo(86, 82);
    ko.lineTo(166, 82);
    ko.lineTo(166, 158);
    ko.lineTo(86, 158);
    QPen ink(QColor(200, 24, 40), size <= 24 ? 30 : 22);
    ink.setJoinStyle(Qt::MiterJoin);
    ink.setCapStyle(Qt::FlatCap);
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    p.drawPath(ko);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// The sizes of the hicolor icon theme the package fills; the Windows icon holds them all.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// One image of a Windows icon: a 32-bit bottom-up DIB with its AND mask (what every version
// of Windows reads), or the PNG file itself for the 256 size (what Explorer takes there).
std::string IconImage(const QImage& img) {
    if (img.width() >= 256) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        return png.toStdString();
    }
    const int n = img.width();
    std::string dib;
    PutLe(dib, 40, 4);  // BITMAPINFOHEADER
    PutLe(dib, n, 4);
    PutLe(dib, 2 * n, 4);  // the colour rows and the mask rows
    PutLe(dib, 1, 2);
    PutLe(dib, 32, 2);
    PutLe(dib, 0, 4);  // BI_RGB
    PutLe(dib, n * n * 4, 4);
    PutLe(dib, 0, 4);
    PutLe(dib, 0, 4);
    PutLe(dib, 0, 4);
    PutLe(dib, 0, 4);
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) PutLe(dib, img.pixel(x, y), 4);  // B G R A
    }
    const int maskRow = (n + 31) / 32 * 4;
    for (int y = n - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(maskRow), '\0');
        for (int x = 0; x < n; ++x) {
            if (qAlpha(img.pixel(x, y)) == 0)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        dib += row;
    }
    return dib;
}

// The icon file of the Windows executables: every size above in one .ico.
std::string WindowsIcon() {
    std::vector<std::string> images;
    for (const int size : kIconSizes) images.push_back(IconImage(AppIcon(size)));
    std::string ico;
    PutLe(ico, 0, 2);
    PutLe(ico, 1, 2);  // an icon, not a cursor
    PutLe(ico, static_cast<uint32_t>(images.size()), 2);
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = kIconSizes[i];
        PutLe(ico, size >= 256 ? 0 : static_cast<uint32_t>(size), 1);
        PutLe(ico, size >= 256 ? 0 : static_cast<uint32_t>(size), 1);
        PutLe(ico, 0, 1);  // no palette
        PutLe(ico, 0, 1);
        PutLe(ico, 1, 2);   // planes
        PutLe(ico, 32, 2);  // bits per pixel
        PutLe(ico, static_cast<uint32_t>(images[i].size()), 4);
        PutLe(ico, offset, 4);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images) ico += image;
    return ico;
}

QImage Draw(const std::function<void(QPainter&)>& draw) {
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// The disabled look: the shape in grey, with a white copy one pixel down and right under
// it, as engraved into the button face.
QImage Disabled(const QImage& img) {
    QImage out(kSize, kSize, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (x + 1 < kSize && y + 1 < kSize) {
                const int a = qAlpha(img.pixel(x, y));
                if (a > 0) out.setPixel(x + 1, y + 1, qRgba(255, 255, 255, a * 3 / 4));
            }
        }
    }
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const QRgb s = img.pixel(x, y);
            const int a = qAlpha(s);
            if (a == 0) continue;
            const int lum = (qRed(s) * 30 + qGreen(s) * 59 + qBlue(s) * 11) / 100;
            const int grey = 120 + lum * 80 / 255;  // 120..200
            // Source over the white shadow already there.
            const QRgb d = out.pixel(x, y);
            const qreal sa = a / 255.0, da = qAlpha(d) / 255.0;
            const qreal oa = sa + da * (1 - sa);
            auto mix = [&](int sc, int dc) {
                return oa > 0 ? qRound((sc * sa + dc * da * (1 - sa)) / oa) : 0;
            };
            out.setPixel(x, y,
                         qRgba(mix(grey, qRed(d)), mix(grey, qGreen(d)), mix(grey, qBlue(d)),
                               qRound(oa * 255)));
        }
    }
    return out;
}

void Put16(std::vector<unsigned char>& b, uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}
void Put32(std::vector<unsigned char>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}
void PutTag(std::vector<unsigned char>& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}

// The mistype sound: a short falling blip, PCM 8-bit stereo at 11 025 Hz, 694 frames.
std::vector<unsigned char> MissWave() {
    constexpr uint32_t kRate = 11025, kFrames = 694, kChannels = 2;
    constexpr uint32_t kData = kFrames * kChannels;  // 1388 bytes
    std::vector<unsigned char> b;
    PutTag(b, "RIFF");
    Put32(b, 4 + (8 + 16) + (8 + kData));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, kChannels);
    Put32(b, kRate);
    Put32(b, kRate * kChannels);  // bytes per second
    Put16(b, kChannels);          // block align
    Put16(b, 8);
    PutTag(b, "data");
    Put32(b, kData);
    double phase = 0;
    for (uint32_t i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double frac = static_cast<double>(i) / kFrames;
        const double freq = 1500.0 - 900.0 * frac;  // falls from 1500 to 600 Hz
        phase += 2 * M_PI * freq / kRate;
        const double attack = std::min(1.0, t / 0.002);  // 2 ms
        const double decay = std::exp(-t / 0.022);
        const double tail = std::min(1.0, (kFrames - 1 - i) / 40.0);  // ends in silence
        const double s =
            0.55 * attack * decay * tail * (std::sin(phase) + 0.25 * std::sin(2 * phase));
        const int v = std::clamp(static_cast<int>(std::lround(128 + 127 * s)), 0, 255);
        b.push_back(static_cast<unsigned char>(v));  // left
        b.push_back(static_cast<unsigned char>(v));  // right
    }
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_resources <resources folder> <data folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath("pictures");
    dir.mkpath("sounds");
    const std::vector<std::pair<const char*, std::function<void(QPainter&)>>> pictures = {
        {"start", DrawStart},       {"end", DrawEnd},     {"options", DrawOptions},
        {"fileopen", DrawFileOpen}, {"graph", DrawGraph}, {"help", DrawHelp},
        {"keys", DrawKeyboard},     {"next", DrawNext},   {"replay", DrawReplay},
        {"cancel", DrawCancel},     {"playlog", DrawLog}, {"tobmp", DrawToBmp},
        {"close", DrawClose},
    };
    for (const auto& [name, draw] : pictures) {
        const QImage img = Draw(draw);
        const QString base = dir.filePath(QStringLiteral("pictures/") + QString::fromLatin1(name));
        if (!img.save(base + ".png") || !Disabled(img).save(base + "_disabled.png")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(base));
            return 1;
        }
    }
    dir.mkpath("icons");
    for (const int size : kIconSizes) {
        const QString file = dir.filePath(QStringLiteral("icons/kotopa-%1.png").arg(size));
        if (!AppIcon(size).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    const std::string ico = WindowsIcon();
    QFile icon(dir.filePath("icons/kotopa.ico"));
    if (!icon.open(QIODevice::WriteOnly) ||
        icon.write(ico.data(), static_cast<qint64>(ico.size())) !=
            static_cast<qint64>(ico.size())) {
        std::fprintf(stderr, "cannot write icons/kotopa.ico\n");
        return 1;
    }
    const std::vector<unsigned char> wave = MissWave();
    QFile f(dir.filePath("sounds/miss.wav"));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(wave.data()), static_cast<qint64>(wave.size())) !=
            static_cast<qint64>(wave.size())) {
        std::fprintf(stderr, "cannot write sounds/miss.wav\n");
        return 1;
    }
    const QDir data(QString::fromLocal8Bit(argv[2]));
    data.mkpath("system");
    const std::string background = kotopa::GraphBackgroundBmp();
    QFile b(data.filePath("system/Glaph.bmp"));
    if (!b.open(QIODevice::WriteOnly) ||
        b.write(background.data(), static_cast<qint64>(background.size())) !=
            static_cast<qint64>(background.size())) {
        std::fprintf(stderr, "cannot write system/Glaph.bmp\n");
        return 1;
    }
    return 0;
}
