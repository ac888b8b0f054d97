#pragma once
// The main window: the preview area on the left, the settings on the right.
// Its handlers live with the part of the program they belong to: set-up and
// exit here, the settings in settings_controls.cpp, drawing and dragging in
// preview/, importing in import/, printing and the busy notice in print/.

#include "color_ref.h"
#include "dialog_window.h"
#include "geometry.h"
#include "message_map.h"
#include "picture.h"

#include <QIcon>
#include <QString>

class QComboBox;

// Control ids of the main window.
namespace ctl {
constexpr int kImportFile = 1000;
constexpr int kFontColor = 1001;
constexpr int kPreview = 1002;
constexpr int kNextPage = 1003;
constexpr int kFontFace = 1004;
constexpr int kFontSize = 1005;
constexpr int kRangeFrom = 1006;
constexpr int kRangeTo = 1014;
constexpr int kPreviousPage = 1015;
constexpr int kOnePerSheet = 1016;
constexpr int kTwoPerSheet = 1017;
constexpr int kPrint = 1018;
constexpr int kDirection = 1020;
constexpr int kAbout = 1023;
constexpr int kWebSite = 1024;
constexpr int kConverter = 1026;
}  // namespace ctl

// Command id of the About entry of the window menu.
constexpr unsigned kIdmAboutBox = 0x0010;
// Messages the workers post when they are done.
constexpr unsigned WM_IMPORT_DONE = lk::msg::kUser + 15;
constexpr unsigned WM_PRINT_DONE = lk::msg::kUser + 17;

// The window title by which a second start finds the running window.
QString productTitle();

class CLarkspanDlg : public lk::DialogWindow {
    Q_OBJECT
public:
    CLarkspanDlg();
    ~CLarkspanDlg() override;

    void DoDataExchange();

    // Set-up and window (app/).
    void OnSysCommand(unsigned command, std::intptr_t param);
    QIcon OnQueryDragIcon() const { return m_hIcon; }
    void OnBnClickedCancel();
    bool OnEraseBkgnd(QPainter& surface);
    void OnBnClickedAbout();
    void OnBnClickedWebSite();

    // Settings controls (app/).
    void OnBnClickedFontColor();
    void OnCbnSelchangeFont();
    void OnCbnSelchangeRangeFrom();
    void OnCbnSelchangeRangeTo();
    void OnCbnSelchangeDirection();
    void AddFontFaceProc(const QString& face);

    // Preview and placement (preview/).
    void OnPaint();
    void OnLButtonDown(unsigned flags, QPoint point);
    void OnMouseMove(unsigned flags, QPoint point);
    void OnLButtonUp(unsigned flags, QPoint point);
    void OnBnClickedPreview();
    void OnBnClickedNextPage();
    void OnBnClickedPreviousPage();
    int MeasureNumberText(const QString& face, const QString& text, int size);
    void DrawNumberPreview(lk::Rect rect);
    void DrawColorSwatch(lk::ColorRef color);

    // Import (import/).
    void OnBnClickedImportFile();
    long OnImportDone(std::uintptr_t wParam, std::intptr_t lParam);

    // Printing and the busy notice (print/).
    void OnBnClickedPrint();
    void OnTimer(unsigned timerId);
    long OnPrintDone(std::uintptr_t wParam, std::intptr_t lParam);

    // Fields, in declaration order.
    QIcon m_hIcon;
    lk::Picture m_image;
    int m_previewWidth = 0;
    int m_previewHeight = 0;
    int m_busyPhase = 0;
    QComboBox* m_comboFont = nullptr;
    QString m_lastFontFace;
    lk::Rect m_numberRect;
    int m_dragOffsetX = 0;
    int m_dragOffsetY = 0;
    QComboBox* m_comboSize = nullptr;
    bool m_dragging = false;
    lk::Extent m_numberExtent;
    QComboBox* m_comboFrom = nullptr;
    QComboBox* m_comboTo = nullptr;
    int m_previewNumber = 0;

protected:
    bool onInitDialog() override;
    bool routeMessage(lk::WindowMessage& m) override;

private:
    void FillSettingsLists();
};
