// The settings panel: what the lists hold, what is selected at start, and
// what each change does at once.

#include "color_ref.h"
#include "decimal_text.h"
#include "larkspan_dlg.h"
#include "settings.h"
#include "user_dialogs.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace {

// The face the desktop uses for its own texts, resolved to the installed
// family that actually draws them.
QString iconTitleFace() {
    return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
}

}  // namespace

void CLarkspanDlg::FillSettingsLists() {
    addListEntry(ctl::kConverter, QStringLiteral("MS Office"));
    addListEntry(ctl::kConverter, QStringLiteral("WPS"));
    setListSelection(ctl::kConverter, 0);

    setListSelection(ctl::kFontFace, addListEntry(ctl::kFontFace, iconTitleFace()));
    m_lastFontFace.clear();
    // Each face is reported once per writing system it covers, one system
    // after the other; AddFontFaceProc drops the runs of repeats.
    for (const QString& family : QFontDatabase::families()) {
        const auto systems = QFontDatabase::writingSystems(family);
        if (systems.isEmpty()) AddFontFaceProc(family);
        for (qsizetype i = 0; i < systems.size(); ++i) AddFontFaceProc(family);
    }

    for (int n = 10; n <= 300; n += 2) addListEntry(ctl::kFontSize, intToDecimal(n));
    setListSelection(ctl::kFontSize, 20);

    addListEntry(ctl::kDirection, QStringLiteral("文字竖排"));
    addListEntry(ctl::kDirection, QStringLiteral("文字横排"));
    setListSelection(ctl::kDirection, 1);
    g_textDirection = 0;

    for (int n = 1; n <= 1000; ++n) {
        const QString text = intToDecimal(n);
        addListEntry(ctl::kRangeFrom, text);
        addListEntry(ctl::kRangeTo, text);
    }
    setListSelection(ctl::kRangeFrom, 0);
    setListSelection(ctl::kRangeTo, 9);
}

void CLarkspanDlg::AddFontFaceProc(const QString& face) {
    if (face == m_lastFontFace) return;
    m_lastFontFace = face;
    addListEntry(ctl::kFontFace, face);
}

void CLarkspanDlg::OnBnClickedFontColor() {
    const std::optional<QColor> chosen = lk::userDialogs().chooseColor(this, lk::toQColor(g_fontColor));
    if (!chosen) return;
    const QRect client = clientRect();
    const int right = client.x() + client.width();
    invalidate(QRect(QPoint(right - 200, 110), QPoint(right - 160 - 1, 135 - 1)), true);
    g_fontColor = lk::toColorRef(*chosen);
}

void CLarkspanDlg::OnCbnSelchangeFont() { invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true); }

void CLarkspanDlg::OnCbnSelchangeRangeFrom() {
    const int first = decimalToInt(controlText(ctl::kRangeFrom));
    const int last = decimalToInt(controlText(ctl::kRangeTo));
    if (first >= last) setListSelection(ctl::kRangeFrom, last - 1);
    g_numberText = controlText(ctl::kRangeFrom);
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
}

void CLarkspanDlg::OnCbnSelchangeRangeTo() {}

void CLarkspanDlg::OnCbnSelchangeDirection() {
    const QString text = controlText(ctl::kDirection);
    if (text == QStringLiteral("文字竖排")) g_textDirection = 0;
    else if (text == QStringLiteral("文字横排")) g_textDirection = 1;
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
}
