// The main window's background, the About box and the web links.

#include "about_dlg.h"
#include "decoration.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>
#include <QUrl>

// Resources are registered by name in the global namespace.
static void dropImageResources() { Q_CLEANUP_RESOURCE(larkspan_images); }
static void restoreImageResources() { Q_INIT_RESOURCE(larkspan_images); }

namespace {

const QColor kGrey(240, 240, 240);

bool isBlue(QRgb c) { return qBlue(c) > 160 && qRed(c) < 120 && qGreen(c) < 120; }

// Whether the image holds the logo, pixel for pixel, with its top-left corner at the point.
bool logoAt(const QImage& img, QPoint at) {
    const QImage logo = loadLogo().convertToFormat(QImage::Format_RGB32);
    if (logo.isNull() || !img.rect().contains(QRect(at, QSize(64, 64)))) return false;
    return img.copy(QRect(at, QSize(64, 64))).convertToFormat(QImage::Format_RGB32) == logo;
}

QImage eraseInto(CLarkspanDlg& d, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    EXPECT_TRUE(d.OnEraseBkgnd(p));
    return img;
}

using BackgroundTest = MainWindowTest;

TEST_F(BackgroundTest, TextsAndLogoSitAtTheirShareOfTheClientArea) {
    struct Case { QSize size; QPoint feature, company, logo; };
    const Case cases[] = {
        {{800, 760}, {552, 668}, {584, 624}, {576, 557}},
        // 1001 x 69 / 100 = 690.69 and 703 x 37 / 45 = 578.02: both truncated.
        {{1001, 703}, {690, 618}, {730, 578}, {720, 515}},
    };
    const QFontMetrics fm(decorationFont());
    const int cell = fm.ascent() + fm.descent();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size.width());
        const QImage img = eraseInto(*dlg, c.size);
        const QRect all = img.rect();
        // Grey everywhere the texts and the logo are not.
        for (QPoint p : {all.topLeft(), all.bottomRight(), QPoint(10, c.size.height() - 5), QPoint(400, 300)})
            EXPECT_TRUE(isColor(img.pixel(p), kGrey)) << p.x() << "," << p.y();

        // The feature line: black ink starting at its point, within one line.
        const QRect below(0, c.feature.y() - 8, c.size.width(), c.size.height() - c.feature.y() + 8);
        const QRect feature = inkBounds(img, below, isDark);
        ASSERT_FALSE(feature.isEmpty());
        EXPECT_GE(feature.left(), c.feature.x());
        EXPECT_LE(feature.left(), c.feature.x() + 2);
        EXPECT_GE(feature.top(), c.feature.y());
        EXPECT_LE(feature.top(), c.feature.y() + 4);
        EXPECT_LT(feature.bottom(), c.feature.y() + cell);
        EXPECT_NEAR(feature.width(), fm.horizontalAdvance(QStringLiteral("特点：一键打印，箱号自动增加")), 4);

        EXPECT_TRUE(logoAt(img, c.logo));

        // The company name in blue, nowhere else but in the logo's label.
        QImage noLogo = img;
        QPainter(&noLogo).fillRect(QRect(c.logo, QSize(64, 64)), kGrey);
        const QRect company = inkBounds(noLogo, all, isBlue);
        ASSERT_FALSE(company.isEmpty());
        EXPECT_GE(company.left(), c.company.x());
        EXPECT_LE(company.left(), c.company.x() + 2);
        EXPECT_GE(company.top(), c.company.y());
        EXPECT_LE(company.top(), c.company.y() + 4);
        EXPECT_LT(company.bottom(), c.company.y() + cell);
    }
}

TEST_F(BackgroundTest, ErasingPartOfTheWindowDrawsThatPartAsTheWholeWouldBe) {
    // Positions come from the whole client area, not from the part erased.
    const QSize client = dlg->clientRect().size();
    const QImage whole = eraseInto(*dlg, client);
    const QPoint logo(client.width() * 72 / 100, client.height() * 33 / 45);
    const QRect part(logo + QPoint(20, 10), QSize(90, 120));  // the logo's lower right and the name
    dlg->clientImage().fill(Qt::magenta);
    dlg->invalidate(part, true);
    dlg->updateNow();
    const QImage& img = dlg->clientImage();
    EXPECT_EQ(img.copy(part), whole.copy(part));
    EXPECT_TRUE(isColor(img.pixel(part.topLeft() - QPoint(1, 1)), Qt::magenta));
    EXPECT_TRUE(isColor(img.pixel(part.bottomRight() + QPoint(1, 1)), Qt::magenta));
}

TEST_F(BackgroundTest, AMissingLogoLeavesOnlyTheLogoUndrawn) {
    const QSize size(800, 760);
    const QImage withLogo = eraseInto(*dlg, size);
    dropImageResources();
    const QImage without = eraseInto(*dlg, size);
    restoreImageResources();
    ASSERT_FALSE(loadLogo().isNull());

    const QRect logo(576, 557, 64, 64);
    EXPECT_EQ(inkBounds(without, logo, [](QRgb c) { return !isColor(c, kGrey); }), QRect());
    // Everything else is as it was.
    QImage a = withLogo, b = without;
    QPainter(&a).fillRect(logo, Qt::black);
    QPainter(&b).fillRect(logo, Qt::black);
    EXPECT_EQ(a, b);
}

// The About box's client image after its first erase and paint.
QImage aboutImage(QWidget* owner) {
    CAboutDlg about(owner);
    about.create();
    about.updateNow();
    return about.clientImage().copy();
}

class AboutBoxTest : public MainWindowTest {
protected:
    void TearDown() override {
        g_aboutText = saved_;
        MainWindowTest::TearDown();
    }
    // The About text drawn on a surface large enough to show what leaks out of its box.
    QImage drawAbout(const QString& text) {
        g_aboutText = text;
        CAboutDlg about(dlg.get());
        QImage img(420, 280, QImage::Format_RGB32);
        img.fill(Qt::magenta);
        QPainter p(&img);
        EXPECT_TRUE(about.OnEraseBkgnd(p));
        return img;
    }
    const QString saved_ = g_aboutText;
    const QFontMetrics fm_{decorationFont()};
    const int cell_ = fm_.ascent() + fm_.descent();
};

TEST_F(AboutBoxTest, DrawsTemplateControlsNameLogoAndText) {
    CAboutDlg about(dlg.get());
    about.create();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于 Larkspan"));
    struct Expect { int id; const char* text; bool visible; };
    for (const Expect& e : {Expect{1, "关闭", false}, Expect{1000, "访问官网", true}, Expect{1001, "访问官方淘宝店", true}}) {
        ASSERT_NE(about.control(e.id), nullptr);
        EXPECT_EQ(about.controlText(e.id), QString::fromUtf8(e.text));
        EXPECT_EQ(about.control(e.id)->isVisibleTo(&about), e.visible) << e.id;
    }
    EXPECT_TRUE(g_aboutText.startsWith(QStringLiteral("Velmora唛头打印助手\r\n版本：V8.3\r\n")));

    const QImage img = aboutImage(dlg.get());
    EXPECT_TRUE(logoAt(img, QPoint(30, 40)));
    // The company name in black under the logo, from (35, 105).
    const QRect name = inkBounds(img, QRect(0, 104, 130, cell_ + 2), isDark);
    ASSERT_FALSE(name.isEmpty());
    EXPECT_LE(name.left(), 37);
    EXPECT_GE(name.left(), 35);
    EXPECT_GE(name.top(), 105);
    EXPECT_EQ(inkBounds(img, name, isBlue), QRect());
    // The text to the right of both; two lines at least.
    const QRect text = inkBounds(img, QRect(128, 0, img.width() - 128, img.height()), isDark);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 130);
    EXPECT_GE(text.top(), 20);
    EXPECT_GT(text.height(), cell_);
}

TEST_F(AboutBoxTest, TextBreaksOnlyAtCrLfAndStaysInsideItsBox) {
    const QRect box(130, 20, 220, 200);
    // A long line with spaces is not wrapped, an empty line takes its place,
    // and lines past the box's bottom are cut off.
    QString text = QStringLiteral("第一行\r\n");
    text += QStringLiteral("国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国 国\r\n\r\n");
    for (int i = 0; i < 20; ++i) text += QStringLiteral("第%1行 国国国国国国国国国国国国国国国国国国\r\n").arg(i + 4);
    const QImage img = drawAbout(text);

    const auto band = [&](int line) { return QRect(box.left(), box.top() + line * cell_, box.width(), cell_); };
    const QRect first = inkBounds(img, band(0), isDark);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_LE(first.left(), box.left() + 2);
    EXPECT_LT(first.right(), box.left() + fm_.horizontalAdvance(QStringLiteral("第一行")) + 1);
    // The long line runs to the box's right edge.
    EXPECT_EQ(inkBounds(img, band(1), isDark).right(), box.right());
    EXPECT_EQ(inkBounds(img, band(2), isDark), QRect());
    EXPECT_FALSE(inkBounds(img, band(3), isDark).isEmpty());

    // Nothing of the text right of or below the box, nor above it.
    const QRect textSide(box.left(), 0, img.width() - box.left(), img.height());
    const QRect ink = inkBounds(img, textSide, isDark);
    EXPECT_TRUE(box.contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    EXPECT_GT(ink.bottom(), box.bottom() - cell_);
}

TEST_F(AboutBoxTest, OpensFromTheButtonAndTheWindowMenuAndClosesWithEscEnterAndCloseButton) {
    enum class Close { Esc, Enter, CloseButton };
    struct Case { const char* name; bool fromMenu; Close how; };
    const Case cases[] = {
        {"button, Esc", false, Close::Esc},
        {"menu, Enter", true, Close::Enter},
        {"button, close", false, Close::CloseButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool seen = false, stuck = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (!about) return;
            seen = about->isVisible() && about->parentWidget() == dlg.get();
            // The stand-in for a person: a key to whatever has the focus, or the close button.
            waitFor([&] { return QApplication::focusWidget() != nullptr; }, 2000);
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : about;
            if (c.how == Close::Esc) QTest::keyClick(target, Qt::Key_Escape);
            else if (c.how == Close::Enter) QTest::keyClick(target, Qt::Key_Return);
            else about->close();
            if (!about->ended()) {
                stuck = true;
                about->endDialog(0);
            }
        });
        if (c.fromMenu) dlg->runMenuCommand(kIdmAboutBox);
        else dlg->button(1023)->click();
        EXPECT_TRUE(seen);
        EXPECT_FALSE(stuck);
    }
    // Closing the box is not closing the program.
    EXPECT_FALSE(dlg->ended());
    EXPECT_TRUE(dialogs.messages.empty());
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

TEST_F(AboutBoxTest, WebLinksOpenAddressesUnderTheExampleDomainAndFailSilently) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    CAboutDlg about(dlg.get());
    about.create();
    dlg->button(1024)->click();
    about.button(1000)->click();
    about.button(1001)->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    ASSERT_EQ(recorder.urls.size(), 3);
    EXPECT_EQ(recorder.urls[0], recorder.urls[1]);  // both "访问官网" buttons: the same site
    EXPECT_NE(recorder.urls[2], recorder.urls[0]);
    for (const QUrl& u : recorder.urls) {
        EXPECT_TRUE(u.isValid());
        EXPECT_TRUE(u.host() == QStringLiteral("example.com") || u.host().endsWith(QStringLiteral(".example.com")))
            << u.toString().toStdString();
    }
    // With no browser to hand the address to, nothing is shown and nothing breaks.
    dlg->button(1024)->click();
    about.button(1001)->click();
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace

#include "about_test.moc"
