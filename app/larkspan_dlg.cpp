#include "larkspan_dlg.h"

#include "about_dlg.h"
#include "decimal_text.h"
#include "dialogs.h"
#include "settings.h"
#include "user_dialogs.h"

#include <QComboBox>

using lk::MessageBinding;
namespace msg = lk::msg;
using lk::notify::kClicked;
using lk::notify::kSelectionChanged;

lk::ColorRef g_fontColor = 0;
QString g_fontFace;
int g_fontSize = 22;
QString g_numberText = QStringLiteral("1");
int g_textDirection = 0;

QString productTitle() { return QStringLiteral("Velmora唛头打印助手 V8.3   <一键打印，箱号自动增加>"); }

namespace {

using D = CLarkspanDlg;

const MessageBinding<D> kMessageMap[] = {
    {msg::kSystemCommand, 0, 0, &D::OnSysCommand},
    {msg::kPaint, 0, 0, &D::OnPaint},
    {msg::kQueryDragIcon, 0, 0, &D::OnQueryDragIcon},
    {msg::kCommand, ctl::kImportFile, kClicked, &D::OnBnClickedImportFile},
    {msg::kTimer, 0, 0, &D::OnTimer},
    {msg::kCommand, ctl::kFontColor, kClicked, &D::OnBnClickedFontColor},
    {msg::kCommand, ctl::kPreview, kClicked, &D::OnBnClickedPreview},
    {msg::kCommand, ctl::kNextPage, kClicked, &D::OnBnClickedNextPage},
    {WM_IMPORT_DONE, 0, 0, &D::OnImportDone},
    {msg::kLeftButtonDown, 0, 0, &D::OnLButtonDown},
    {msg::kLeftButtonUp, 0, 0, &D::OnLButtonUp},
    {msg::kMouseMove, 0, 0, &D::OnMouseMove},
    {msg::kCommand, ctl::kFontFace, kSelectionChanged, &D::OnCbnSelchangeFont},
    {msg::kCommand, ctl::kFontSize, kSelectionChanged, &D::OnCbnSelchangeFont},
    {msg::kCommand, ctl::kRangeFrom, kSelectionChanged, &D::OnCbnSelchangeRangeFrom},
    {msg::kCommand, ctl::kRangeTo, kSelectionChanged, &D::OnCbnSelchangeRangeTo},
    {msg::kCommand, ctl::kPreviousPage, kClicked, &D::OnBnClickedPreviousPage},
    {msg::kCommand, ctl::kPrint, kClicked, &D::OnBnClickedPrint},
    {msg::kCommand, ctl::kDirection, kSelectionChanged, &D::OnCbnSelchangeDirection},
    {WM_PRINT_DONE, 0, 0, &D::OnPrintDone},
    {msg::kEraseBackground, 0, 0, &D::OnEraseBkgnd},
    {msg::kCommand, ctl::kAbout, kClicked, &D::OnBnClickedAbout},
    {msg::kCommand, lk::kIdCancel, kClicked, &D::OnBnClickedCancel},
    {msg::kCommand, ctl::kWebSite, kClicked, &D::OnBnClickedWebSite},
};

}  // namespace

CLarkspanDlg::CLarkspanDlg() : lk::DialogWindow(res::mainDialog()), m_hIcon(QIcon(QStringLiteral(":/res/icon.png"))) {}

CLarkspanDlg::~CLarkspanDlg() = default;

bool CLarkspanDlg::routeMessage(lk::WindowMessage& m) { return lk::routeMessage<D>(*this, kMessageMap, m); }

void CLarkspanDlg::DoDataExchange() {
    m_comboFont = comboBox(ctl::kFontFace);
    m_comboSize = comboBox(ctl::kFontSize);
    m_comboFrom = comboBox(ctl::kRangeFrom);
    m_comboTo = comboBox(ctl::kRangeTo);
}

bool CLarkspanDlg::onInitDialog() {
    DoDataExchange();

    const QString about = QString::fromUtf8(res::aboutMenuText());
    if (!about.isEmpty()) {
        appendMenuSeparator();
        appendMenuItem(kIdmAboutBox, about);
    }
    setIcons(m_hIcon, m_hIcon);

    m_previewWidth = 470;
    m_previewHeight = 665;
    g_fontColor = 0;
    FillSettingsLists();
    m_previewNumber = 1;
    setChecked(ctl::kOnePerSheet, true);
    enableControl(ctl::kNextPage, false);
    enableControl(ctl::kPreviousPage, false);

    g_fontFace = controlText(ctl::kFontFace);
    // The size the first measurement uses is the list's seventh entry; the
    // first paint then reads the selected "50".
    g_fontSize = decimalToInt(listEntry(ctl::kFontSize, 6));
    g_numberText = QStringLiteral("1");
    MeasureNumberText(g_fontFace, g_numberText, g_fontSize);

    m_numberRect.left = static_cast<int>(m_previewWidth * 0.5);
    m_numberRect.top = static_cast<int>(m_previewHeight * 0.5);
    m_numberRect.right = static_cast<int>(m_previewWidth * 0.5 + m_numberExtent.cx);
    m_numberRect.bottom = static_cast<int>(m_previewHeight * 0.5 + m_numberExtent.cy);

    setWindowTitle(productTitle());
    return true;
}

void CLarkspanDlg::OnSysCommand(unsigned command, std::intptr_t param) {
    if ((command & 0xFFF0) == kIdmAboutBox) {
        CAboutDlg about(this);
        about.runModal();
        return;
    }
    lk::WindowMessage m;
    m.id = msg::kSystemCommand;
    m.wParam = command;
    m.lParam = param;
    defaultMessage(m);
}

void CLarkspanDlg::OnBnClickedCancel() {
    if (lk::showMessage(this, QStringLiteral("您确定要退出吗 ?"), lk::MessageButtons::YesNo) == lk::MessageAnswer::Yes)
        endDialog(lk::kIdCancel);
}
