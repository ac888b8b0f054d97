// The install target: the program, its desktop entry and its icons land
// where a desktop's application menu finds them.

#include "larkspan_dlg.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The keys of the desktop entry's main group.
QMap<QString, QString> desktopEntry(const QString& path) {
    QMap<QString, QString> keys;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return keys;
    bool inMain = false;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inMain && eq > 0) keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

TEST(Install, PutsTheProgramItsDesktopEntryAndIconsInPlace) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(CMAKE_COMMAND_PATH),
                  {QStringLiteral("--install"), QStringLiteral(LARKSPAN_BUILD_DIR), QStringLiteral("--prefix"),
                   prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

    const QString root = prefix.path();
    const QFileInfo program(root + QStringLiteral("/bin/larkspan"));
    EXPECT_TRUE(program.isFile() && program.isExecutable());

    const QString entryPath = root + QStringLiteral("/share/applications/larkspan.desktop");
    const QMap<QString, QString> entry = desktopEntry(entryPath);
    ASSERT_FALSE(entry.isEmpty()) << entryPath.toStdString();
    EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    // The menu shows the product's name: the window title up to its version.
    EXPECT_EQ(entry.value(QStringLiteral("Name")), QStringLiteral("Velmora唛头打印助手"));
    EXPECT_TRUE(productTitle().startsWith(entry.value(QStringLiteral("Name")) + QLatin1Char(' ')));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0), program.fileName());
    EXPECT_EQ(entry.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    EXPECT_FALSE(entry.value(QStringLiteral("Categories")).isEmpty());

    const QString icon = entry.value(QStringLiteral("Icon"));
    ASSERT_FALSE(icon.isEmpty());
    for (int size : {256, 128, 48}) {
        const QString path =
            root + QStringLiteral("/share/icons/hicolor/%1x%1/apps/").arg(size) + icon + QStringLiteral(".png");
        const QImage img(path);
        EXPECT_EQ(img.size(), QSize(size, size)) << path.toStdString();
        // A mark on a transparent ground, not an empty square.
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(img.pixel(size / 2, size / 2)), 255);
    }

    // The desktop's own checker, where it is installed.
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(validator, {entryPath});
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), 0);
        EXPECT_EQ(check.readAll().trimmed(), QByteArray()) << "warnings and hints count too";
    }
}

}  // namespace
