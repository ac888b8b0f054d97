// Time and peak memory of a picture import against the floor: decoding the
// same JPEG photograph and encoding one 4200 by 5940 page as a JPEG.
//
//   import_bench [repetitions]      runs every case and prints the figures
//
// Each measurement runs in a process of its own (this program started again
// with a mode argument), so that its peak resident memory (ru_maxrss) is its
// own and not the generator's or an earlier case's.

#include "image_import_worker.h"
#include "import_request.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A picture with the texture of a photograph: soft gradients, shapes and
// sensor noise, so the JPEG has a realistic amount of detail to decode.
QImage photographLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const double fy = static_cast<double>(y) / h;
        for (int x = 0; x < w; ++x) {
            const double fx = static_cast<double>(x) / w;
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 24) % 25) - 12;
            const double wave = std::sin(fx * 37.0 + fy * 11.0) * std::cos(fy * 23.0 - fx * 5.0);
            const int r = static_cast<int>(120 + 90 * fx + 30 * wave) + noise;
            const int g = static_cast<int>(80 + 100 * fy + 40 * wave) + noise;
            const int b = static_cast<int>(150 - 60 * fx * fy + 50 * wave) + noise;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    // Some hard edges, as objects in a scene have.
    QPainter p(&img);
    for (int i = 0; i < 40; ++i) {
        const QColor c = QColor::fromHsv((i * 47) % 360, 160, 200);
        p.setBrush(c);
        p.setPen(QPen(c.darker(), w / 600.0));
        p.drawEllipse(QRectF((i * 0.137 - std::floor(i * 0.137)) * w, (i * 0.291 - std::floor(i * 0.291)) * h,
                             w * 0.08, h * 0.1));
    }
    return img;
}

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Child modes print "<seconds> <peak kB>" on one line.
int runMode(const std::string& mode, const QString& arg, int w, int h) {
    if (mode == "generate") {
        QImageWriter writer(arg, "jpeg");
        writer.setQuality(90);
        return writer.write(photographLike(w, h)) ? 0 : 1;
    }
    QElapsedTimer t;
    if (mode == "idle") {
        t.start();
    } else if (mode == "floor") {
        t.start();
        QImageReader reader(arg);
        reader.setAllocationLimit(0);
        QImage photo = reader.read();
        if (photo.isNull()) return 1;
        // One page of the import's shape, its picture copied in without
        // scaling, then encoded; building it is not timed.
        const qint64 decodeNs = t.nsecsElapsed();
        QImage page(4200, 5940, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter p(&page);
            p.drawImage(0, 1569, photo, 0, 0, 4200, std::min(2800, photo.height()));
        }
        photo = QImage();
        t.restart();
        QImageWriter writer(QDir(QFileInfo(arg).path()).filePath(QStringLiteral("floor.jpg")), "jpeg");
        if (!writer.write(page)) return 1;
        std::printf("%.4f %ld\n", (decodeNs + t.nsecsElapsed()) / 1e9, peakKb());
        return 0;
    } else if (mode == "import") {
        // The worker exactly as the import command starts it, without a window.
        QDir::setCurrent(QFileInfo(arg).path());
        ImportRequest.imagePath = arg;
        t.start();
        ImageImportWorker();
        if (QImageReader(ImportRequest.pagePicturePath).size() != QSize(4200, 5940)) return 1;
    } else {
        return 2;
    }
    std::printf("%.4f %ld\n", t.nsecsElapsed() / 1e9, peakKb());
    return 0;
}

struct Figure {
    double seconds = 0;
    long peakKb = 0;
};

// Runs this program in a mode and reads its figures.
bool spawnMode(const char* self, const char* mode, const QString& arg, int w, int h, Figure* out) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string a = arg.toStdString(), ws = std::to_string(w), hs = std::to_string(h);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(mode), const_cast<char*>(a.c_str()),
                    const_cast<char*>(ws.c_str()), const_cast<char*>(hs.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    std::string text;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    if (out) return std::sscanf(text.c_str(), "%lf %ld", &out->seconds, &out->peakKb) == 2;
    return true;
}

// Median time and largest peak of several runs.
bool measure(const char* self, const char* mode, const QString& file, int reps, Figure* out) {
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < reps; ++i) {
        Figure f;
        if (!spawnMode(self, mode, file, 0, 0, &f)) return false;
        times.push_back(f.seconds);
        peak = std::max(peak, f.peakKb);
    }
    std::sort(times.begin(), times.end());
    out->seconds = times[times.size() / 2];
    out->peakKb = peak;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    if (argc >= 5) return runMode(argv[1], QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));

    const int reps = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string selfPath = QCoreApplication::applicationFilePath().toStdString();
    const char* self = selfPath.c_str();
    QTemporaryDir dir;

    Figure idle;
    if (!measure(self, "idle", dir.path(), 1, &idle)) return 1;
    std::printf("Process without work: %.1f MB resident\n\n", idle.peakKb / 1024.0);
    std::printf("%-12s %10s %10s %8s %12s %12s\n", "photograph", "import s", "floor s", "ratio", "import MB", "floor MB");

    const QSize sizes[] = {{6000, 4000}, {12000, 8000}};
    for (const QSize s : sizes) {
        const QString file = dir.filePath(QStringLiteral("photo_%1x%2.jpg").arg(s.width()).arg(s.height()));
        if (!spawnMode(self, "generate", file, s.width(), s.height(), nullptr)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return 1;
        }
        Figure imp, floor;
        if (!measure(self, "floor", file, reps, &floor) || !measure(self, "import", file, reps, &imp)) {
            std::fprintf(stderr, "a measurement failed for %dx%d\n", s.width(), s.height());
            return 1;
        }
        std::printf("%5dx%-6d %10.3f %10.3f %7.2fx %12.1f %12.1f\n", s.width(), s.height(), imp.seconds,
                    floor.seconds, imp.seconds / floor.seconds, imp.peakKb / 1024.0, floor.peakKb / 1024.0);
    }
    std::printf("\nimport: the picture import worker (decode, page, JPEG save of temp.jpg);\n"
                "floor: full decode of the photograph + encoding one 4200x5940 JPEG page.\n"
                "Times are the median of %d runs; memory is the peak resident set of the run.\n",
                reps);
    return 0;
}
