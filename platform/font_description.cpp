#include "font_description.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <mutex>

namespace lk {

QString mapFaceName(const QString& face) {
    static const QStringList kForeign = {
        QStringLiteral("MS Shell Dlg"), QStringLiteral("MS Shell Dlg 2"), QStringLiteral("微软雅黑"),
        QStringLiteral("Microsoft YaHei"), QStringLiteral("宋体"), QStringLiteral("SimSun"),
    };
    if (!kForeign.contains(face) || QFontDatabase::hasFamily(face)) return face;
    static const QStringList kChinese = {
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Droid Sans Fallback"),
    };
    for (const QString& f : kChinese)
        if (QFontDatabase::hasFamily(f)) return f;
    return face;
}

namespace {

QFont baseFont(const FontDescription& d, int pixelSize) {
    QFont f(mapFaceName(d.face));
    f.setStyleHint(d.swiss ? QFont::SansSerif : QFont::AnyStyle);
    f.setWeight(static_cast<QFont::Weight>(qBound(1, d.weight, 1000)));
    f.setPixelSize(std::max(1, pixelSize));
    return f;
}

int cellOf(const QFont& f) {
    const QFontMetrics fm(f);
    return fm.ascent() + fm.descent();
}

// Solving for the pixel size costs a few font look-ups; the answers are kept.
int pixelSizeFor(const FontDescription& d) {
    static std::mutex mutex;
    static QHash<QString, int> solved;
    const QString key = d.face + QLatin1Char('\x1f') + QString::number(d.weight) + QLatin1Char('/') +
                        QString::number(d.cellHeight) + (d.swiss ? QStringLiteral("s") : QString());
    {
        std::lock_guard lock(mutex);
        auto it = solved.constFind(key);
        if (it != solved.constEnd()) return *it;
    }
    const int want = std::max(1, d.cellHeight);
    // Fonts keep a near-constant cell-to-size ratio: start from it, then step.
    const int probe = cellOf(baseFont(d, want));
    int n = std::max(1, static_cast<int>(static_cast<long long>(want) * want / std::max(1, probe)));
    while (n > 1 && cellOf(baseFont(d, n)) > want) --n;
    while (cellOf(baseFont(d, n + 1)) <= want) ++n;
    std::lock_guard lock(mutex);
    solved.insert(key, n);
    return n;
}

}  // namespace

QFont makeFont(const FontDescription& d) { return baseFont(d, pixelSizeFor(d)); }

QSize textExtent(const FontDescription& d, const QString& text) {
    const QFontMetrics fm(makeFont(d));
    return QSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent());
}

void drawText(QPainter& p, const FontDescription& d, QPointF reference, const QString& text) {
    const QFont font = makeFont(d);
    const QFontMetrics fm(font);
    p.save();
    p.translate(reference);
    if (d.escapement != 0) p.rotate(-d.escapement / 10.0);  // y points down: 2700 turns clockwise
    p.setFont(font);
    p.drawText(QPointF(0, fm.ascent()), text);
    p.restore();
}

}  // namespace lk
