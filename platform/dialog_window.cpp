#include "dialog_window.h"

#include "font_description.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCollator>
#include <QComboBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace lk {

namespace {

const QEvent::Type kPostedMessageType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kPaintRequestType = static_cast<QEvent::Type>(QEvent::registerEventType());

// The smallest dialog base units that keep every control right of and below
// the 470 by 665 pixel preview (x = 279 units past pixel 471, y = 387 units
// past pixel 666), whatever the dialog font measures.
constexpr int kMinBaseX = 7;
constexpr int kMinBaseY = 14;

int mulDiv(int a, int b, int c) {
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    return static_cast<int>((p + (p >= 0 ? c / 2 : -c / 2)) / c);
}

}  // namespace

class PostedMessageEvent : public QEvent {
public:
    PostedMessageEvent(unsigned m, std::uintptr_t w, std::intptr_t l)
        : QEvent(kPostedMessageType), message(m), wParam(w), lParam(l) {}
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

QEvent* makePostedMessageEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return new PostedMessageEvent(message, wParam, lParam);
}

DialogWindow::DialogWindow(const DialogTemplate& tmpl, QWidget* owner)
    : QWidget(owner, owner ? Qt::Dialog : Qt::Window), tmpl_(tmpl),
      handle_(std::make_shared<WindowHandle>(this)) {
    Qt::WindowFlags flags = (owner ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint;
    if (tmpl.style & kSystemMenu) flags |= Qt::WindowSystemMenuHint;
    if (tmpl.style & kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    if (owner) setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QString::fromUtf8(tmpl.caption));
    setMouseTracking(true);

    // The dialog font: its point size in pixels at the screen's resolution.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    dialogFont_ = QFont(mapFaceName(QString::fromUtf8(tmpl.fontFace)));
    dialogFont_.setPixelSize(std::max(1, mulDiv(tmpl.fontPoints, dpi, 72)));
    setFont(dialogFont_);
    const QFontMetrics fm(dialogFont_);
    const int alphabet = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(kMinBaseX, (alphabet / 26 + 1) / 2);
    baseY_ = std::max(kMinBaseY, fm.height());

    clientSize_ = unitsToPixels(0, 0, tmpl.cx, tmpl.cy).size();
    setFixedSize(clientSize_);
    image_ = QImage(clientSize_, QImage::Format_RGB32);
    image_.fill(palette().color(QPalette::Window));

    menu_.push_back({syscmd::kMinimize, QStringLiteral("最小化(&N)")});
    menu_.push_back({syscmd::kClose, QStringLiteral("关闭(&C)")});
}

DialogWindow::~DialogWindow() {
    handle_->detach();
    if (loop_) loop_->exit();
}

QRect DialogWindow::unitsToPixels(int x, int y, int cx, int cy) const {
    const int left = mulDiv(x, baseX_, 4), top = mulDiv(y, baseY_, 8);
    const int right = mulDiv(x + cx, baseX_, 4), bottom = mulDiv(y + cy, baseY_, 8);
    return QRect(left, top, right - left, bottom - top);
}

QWidget* DialogWindow::makeControl(const ControlTemplate& c) {
    const QString text = QString::fromUtf8(c.text);
    const QRect r = unitsToPixels(c.x, c.y, c.cx, c.cy);
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(true);  // Enter on a focused button clicks it
        b->setDefault(c.kind == ControlKind::DefaultPushButton);
        connect(b, &QPushButton::clicked, this, [this, id = c.id] { sendCommand(id, notify::kClicked); });
        b->setGeometry(r);
        w = b;
        break;
    }
    case ControlKind::AutoRadioButton: {
        auto* b = new QRadioButton(text, this);
        b->setAutoExclusive(false);  // exclusivity comes from the template's groups
        connect(b, &QRadioButton::clicked, this, [this, id = c.id] { sendCommand(id, notify::kClicked); });
        // Qt's indicator takes more room than the template allows for.
        b->setGeometry(r.x(), r.y(), std::max(r.width(), b->sizeHint().width()), r.height());
        w = b;
        break;
    }
    case ControlKind::DropDownList: {
        auto* cb = new QComboBox(this);
        cb->setEditable(false);
        cb->setMaxVisibleItems(30);
        connect(cb, &QComboBox::activated, this, [this, id = c.id] { sendCommand(id, notify::kSelectionChanged); });
        // The template's height includes the dropped-down list; the field takes the style's height.
        cb->setGeometry(r.x(), r.y(), r.width(), cb->sizeHint().height());
        w = cb;
        break;
    }
    case ControlKind::Label: {
        auto* l = new QLabel(text, this);
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(r.x(), r.y(), std::max(r.width(), l->sizeHint().width()), std::max(r.height(), l->sizeHint().height()));
        w = l;
        break;
    }
    case ControlKind::GroupBox: {
        auto* g = new QGroupBox(text, this);
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        g->setFocusPolicy(Qt::NoFocus);
        g->setGeometry(r);
        w = g;
        break;
    }
    }
    if (!(c.style & kTabStop) && w->focusPolicy() != Qt::NoFocus) w->setFocusPolicy(Qt::ClickFocus);
    if (c.style & kDisabled) w->setEnabled(false);
    w->setVisible(!(c.style & kHidden));
    return w;
}

void DialogWindow::buildControls() {
    QWidget* lastTab = nullptr;
    QButtonGroup* group = nullptr;
    std::vector<QWidget*> frames;
    for (const ControlTemplate& c : tmpl_.controls) {
        QWidget* w = makeControl(c);
        if (c.id != -1) controls_[c.id] = w;
        if (c.kind == ControlKind::GroupBox) frames.push_back(w);
        if (c.style & kGroup) group = nullptr;
        if (c.kind == ControlKind::AutoRadioButton) {
            if (!group) {
                group = new QButtonGroup(this);
                group->setExclusive(true);
                radioGroups_.push_back(group);
            }
            group->addButton(static_cast<QAbstractButton*>(w));
        }
        if (c.style & kTabStop) {
            if (lastTab) setTabOrder(lastTab, w);
            lastTab = w;
        }
    }
    // Frames sit behind the controls they frame.
    for (QWidget* f : frames) f->lower();
}

void DialogWindow::create() {
    if (created_) return;
    created_ = true;
    buildControls();
    onInitDialog();
    invalidateAll(true);
}

int DialogWindow::runModal() {
    create();
    if (!ended_) {
        show();
        QEventLoop loop;
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    hide();
    return result_;
}

void DialogWindow::endDialog(int result) {
    ended_ = true;
    result_ = result;
    if (loop_) loop_->exit(result);
    hide();
}

QWidget* DialogWindow::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QComboBox* DialogWindow::comboBox(int id) const { return qobject_cast<QComboBox*>(control(id)); }
QAbstractButton* DialogWindow::button(int id) const { return qobject_cast<QAbstractButton*>(control(id)); }

QString DialogWindow::controlText(int id) const {
    QWidget* w = control(id);
    if (auto* cb = qobject_cast<QComboBox*>(w)) return cb->currentIndex() >= 0 ? cb->currentText() : QString();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return {};
}

void DialogWindow::setControlText(int id, const QString& text) {
    QWidget* w = control(id);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text);
}

void DialogWindow::enableControl(int id, bool enable) {
    if (QWidget* w = control(id)) w->setEnabled(enable);
}

bool DialogWindow::isControlEnabled(int id) const {
    QWidget* w = control(id);
    return w && w->isEnabled();
}

bool DialogWindow::isChecked(int id) const {
    auto* b = button(id);
    return b && b->isChecked();
}

void DialogWindow::setChecked(int id, bool checked) {
    auto* b = button(id);
    if (!b) return;
    b->setCheckable(true);
    b->setChecked(checked);
}

int DialogWindow::addListEntry(int id, const QString& text) {
    QComboBox* cb = comboBox(id);
    if (!cb) return -1;
    int at = cb->count();
    for (const ControlTemplate& c : tmpl_.controls) {
        if (c.id != id || !(c.style & kSorted)) continue;
        // Locale-aware order; an entry equal to existing ones goes after them.
        static const QCollator collator{QLocale()};
        int lo = 0, hi = cb->count();
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (collator.compare(cb->itemText(mid), text) <= 0) lo = mid + 1;
            else hi = mid;
        }
        at = lo;
        break;
    }
    // Inserting never changes which entry is selected.
    const QSignalBlocker block(cb);
    cb->insertItem(at, text);
    if (cb->count() == 1) cb->setCurrentIndex(-1);
    return at;
}

int DialogWindow::listSelection(int id) const {
    QComboBox* cb = comboBox(id);
    return cb ? cb->currentIndex() : -1;
}

void DialogWindow::setListSelection(int id, int index) {
    if (QComboBox* cb = comboBox(id)) {
        const QSignalBlocker block(cb);
        cb->setCurrentIndex(index >= 0 && index < cb->count() ? index : -1);
    }
}

QString DialogWindow::listEntry(int id, int index) const {
    QComboBox* cb = comboBox(id);
    return cb ? cb->itemText(index) : QString();
}

int DialogWindow::listCount(int id) const {
    QComboBox* cb = comboBox(id);
    return cb ? cb->count() : 0;
}

void DialogWindow::sendCommand(int controlId, unsigned code) {
    WindowMessage m;
    m.id = msg::kCommand;
    m.wParam = commandParam(controlId, code);
    sendMessage(m);
}

std::intptr_t DialogWindow::sendMessage(WindowMessage m) {
    if (!routeMessage(m)) defaultMessage(m);
    return m.result;
}

void DialogWindow::defaultMessage(WindowMessage& m) {
    switch (m.id) {
    case msg::kCommand:
        if (m.notifyCode() == notify::kClicked && (m.controlId() == kIdOk || m.controlId() == kIdCancel))
            endDialog(m.controlId());
        break;
    case msg::kSystemCommand:
        if ((m.wParam & 0xFFF0) == syscmd::kClose) sendCommand(kIdCancel);
        else if ((m.wParam & 0xFFF0) == syscmd::kMinimize) showMinimized();
        break;
    case msg::kEraseBackground:
        if (m.surface) {
            m.surface->fillRect(clientRect(), palette().color(QPalette::Window));
            m.result = 1;
        }
        break;
    default:
        break;
    }
}

void DialogWindow::invalidate(const QRect& r, bool erase) {
    const QRect clipped = r.intersected(clientRect());
    if (clipped.isEmpty()) return;
    invalid_ += clipped;
    eraseWanted_ = eraseWanted_ || erase;
    if (!paintQueued_) {
        paintQueued_ = true;
        // Painting waits until the posted messages ahead of it are handled.
        QCoreApplication::postEvent(this, new QEvent(kPaintRequestType), Qt::LowEventPriority);
    }
}

void DialogWindow::updateNow() {
    if (paintQueued_) runPaint();
}

void DialogWindow::runPaint() {
    if (!paintQueued_) return;
    paintQueued_ = false;
    const QRegion region = invalid_;
    const bool erase = eraseWanted_;
    invalid_ = QRegion();
    eraseWanted_ = false;
    if (erase) {
        QPainter p(&image_);
        p.setClipRegion(region);
        WindowMessage m;
        m.id = msg::kEraseBackground;
        m.surface = &p;
        sendMessage(m);
    }
    WindowMessage paint;
    paint.id = msg::kPaint;
    sendMessage(paint);
    update();
}

void DialogWindow::setTimer(unsigned id, int milliseconds) {
    QTimer*& t = timers_[id];
    if (!t) {
        t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this, id] {
            WindowMessage m;
            m.id = msg::kTimer;
            m.wParam = id;
            sendMessage(m);
        });
    }
    t->start(milliseconds);
}

void DialogWindow::killTimer(unsigned id) {
    auto it = timers_.find(id);
    if (it != timers_.end() && it->second) it->second->stop();
}

bool DialogWindow::timerRunning(unsigned id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second && it->second->isActive();
}

void DialogWindow::postMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    handle_->post(message, wParam, lParam);
}

void DialogWindow::captureMouse() { captured_ = true; }

void DialogWindow::releaseMouseCapture() { captured_ = false; }

void DialogWindow::appendMenuSeparator() { menu_.push_back({0, QString()}); }

void DialogWindow::appendMenuItem(unsigned command, const QString& text) { menu_.push_back({command, text}); }

void DialogWindow::runMenuCommand(unsigned command) {
    WindowMessage m;
    m.id = msg::kSystemCommand;
    m.wParam = command;
    sendMessage(m);
}

void DialogWindow::setIcons(const QIcon& big, const QIcon& small) {
    QIcon icon = big;
    for (const QSize& s : small.availableSizes()) icon.addPixmap(small.pixmap(s));
    setWindowIcon(icon);
}

void DialogWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

namespace {
QPoint clientPoint(const QMouseEvent* e) {
    // Mouse positions travel as signed 16-bit values.
    const QPoint p = e->position().toPoint();
    return QPoint(static_cast<std::int16_t>(p.x()), static_cast<std::int16_t>(p.y()));
}

unsigned keyFlags(const QMouseEvent* e) { return (e->buttons() & Qt::LeftButton) ? kLeftButtonFlag : 0u; }
}  // namespace

void DialogWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    WindowMessage m;
    m.id = msg::kLeftButtonDown;
    m.wParam = keyFlags(e);
    m.point = clientPoint(e);
    sendMessage(m);
}

void DialogWindow::mouseMoveEvent(QMouseEvent* e) {
    WindowMessage m;
    m.id = msg::kMouseMove;
    m.wParam = keyFlags(e);
    m.point = clientPoint(e);
    sendMessage(m);
}

void DialogWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(e);
    WindowMessage m;
    m.id = msg::kLeftButtonUp;
    m.wParam = keyFlags(e);
    m.point = clientPoint(e);
    sendMessage(m);
}

void DialogWindow::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeypadModifier) return QWidget::keyPressEvent(e);
    switch (e->key()) {
    case Qt::Key_Escape:
        sendCommand(kIdCancel);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Reached only when the focused control did not take the key itself:
        // the dialog's default command.
        sendCommand(kIdOk);
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}

void DialogWindow::closeEvent(QCloseEvent* e) {
    if (ended_) return e->accept();
    e->ignore();
    runMenuCommand(syscmd::kClose);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    for (const MenuItem& item : menu_) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(item.text);
        connect(a, &QAction::triggered, this, [this, cmd = item.command] { runMenuCommand(cmd); });
    }
    menu.exec(e->globalPos());
}

bool DialogWindow::event(QEvent* e) {
    if (e->type() == kPostedMessageType) {
        auto* pm = static_cast<PostedMessageEvent*>(e);
        WindowMessage m;
        m.id = pm->message;
        m.wParam = pm->wParam;
        m.lParam = pm->lParam;
        sendMessage(m);
        return true;
    }
    if (e->type() == kPaintRequestType) {
        runPaint();
        return true;
    }
    return QWidget::event(e);
}

void DialogWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    update();
}

ClientSurface::ClientSurface(DialogWindow& w) : window_(w), painter_(&w.clientImage()) {}

ClientSurface::~ClientSurface() {
    painter_.end();
    window_.update();
}

}  // namespace lk
