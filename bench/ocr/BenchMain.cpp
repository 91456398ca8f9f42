// velarion-ocr-bench DIR... [--no-peer] [--no-default-peer] [--no-plain] [--misses]
// Scans every screen_NN.png of each DIR (made by velarion-ocr-bench-generate or render_screens.py),
// set by set, in several
// configurations and prints, per configuration, the median and maximum seconds per image, the
// median CPU seconds, and the share of sensitive strings found exactly and masked, with the
// `tesseract` command-line tool measured on the same images in the same run. --misses lists, on
// standard error, every sensitive string not found exactly, with what was read on its line, and
// every region on no line that holds a sensitive string. Truth
// lines with tags are also scored per tag (font kind, theme, window kind) against the same CLI run.

#include "Evaluation.h"
#include "SyntheticScreen.h"
#include "core/SensitiveRegion.h"
#include "ocr/EnginePool.h"
#include "ocr/LineLayout.h"
#include "ocr/PrivacyProtector.h"
#include "ocr/ScreenImageNormalizer.h"
#include "ocr/ScreenTextReader.h"
#include "ocr/TextRecognitionEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <vector>

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double childrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Run {
    QList<RecognizedLine> lines;
    QList<SensitiveRegion> regions;
    double cpuSeconds = 0;
};

struct Results {
    std::vector<double> wall;
    std::vector<double> cpu;
    Score score;
    std::map<QString, Score> categories;
    int images = 0;
};

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool g_showMisses = false;

// Scores per category: the screen's truth restricted to the lines carrying each tag.
void recordCategories(std::map<QString, Score>& categories, const QList<TruthLine>& truth,
                      const QList<SensitiveRegion>& regions) {
    std::map<QString, QList<TruthLine>> byTag;
    for (const TruthLine& line : truth) {
        QStringList tags = line.tags;
        tags.removeDuplicates();
        for (const QString& tag : tags) {
            byTag[tag].append(line);
        }
    }
    for (const auto& [tag, lines] : byTag) {
        Score score = scoreRegions(lines, regions);
        score.spurious = 0;
        categories[tag] += score;
    }
}

void record(Results& results, const std::function<Run()>& scan, const QList<TruthLine>& truth) {
    QElapsedTimer timer;
    timer.start();
    const Run run = scan();
    if (g_showMisses && !run.lines.isEmpty()) {
        for (const QString& miss : describeMisses(truth, run.lines, run.regions)) {
            std::fprintf(stderr, "  missed: %s\n", qPrintable(miss));
        }
        for (const SensitiveRegion& region : run.regions) {
            if (scoreRegions(truth, {region}).spurious > 0) {
                std::fprintf(stderr, "  spurious: %s at %d,%d\n", qPrintable(region.text),
                             qRound(region.bounds.x()), qRound(region.bounds.y()));
            }
        }
    }
    results.wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    results.cpu.push_back(run.cpuSeconds);
    results.score += scoreRegions(truth, run.regions);
    recordCategories(results.categories, truth, run.regions);
    ++results.images;
}

Run inProcess(const std::function<RecognitionOutcome()>& read) {
    const double cpu = processCpuSeconds();
    const RecognitionOutcome outcome = read();
    Run run;
    run.regions = PrivacyProtector::regionsForLines(outcome.lines);
    run.cpuSeconds = processCpuSeconds() - cpu;
    run.lines = outcome.lines;
    return run;
}

// The command-line tool, TSV output; words are grouped into its lines.
Run tesseractCli(const QString& image, bool oneThread) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("OMP_THREAD_LIMIT"));
    if (oneThread) {
        env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    }
    process.setProcessEnvironment(env);
    const double cpu = childrenCpuSeconds();
    process.start(QStringLiteral("tesseract"),
                  {image, QStringLiteral("stdout"), QStringLiteral("tsv")});
    process.waitForFinished(120'000);
    Run run;
    run.cpuSeconds = childrenCpuSeconds() - cpu;
    std::map<QString, RecognizedLine> lines;
    std::vector<QString> order;
    const QStringList rows =
        QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& row : rows) {
        const QStringList f = row.split(QLatin1Char('\t'));
        if (f.size() < 12 || f[0] != QLatin1String("5")) {
            continue;
        }
        const QString key =
            f[1] + QLatin1Char('/') + f[2] + QLatin1Char('/') + f[3] + QLatin1Char('/') + f[4];
        const QRect box(f[6].toInt(), f[7].toInt(), f[8].toInt(), f[9].toInt());
        auto it = lines.find(key);
        if (it == lines.end()) {
            order.push_back(key);
            lines[key] = RecognizedLine{f[11], box};
        } else {
            it->second.text += QLatin1Char(' ') + f[11];
            it->second.box = it->second.box.united(box);
        }
    }
    QList<RecognizedLine> ordered;
    for (const QString& key : order) {
        ordered.append(lines[key]);
    }
    run.regions = PrivacyProtector::regionsForLines(ordered);
    return run;
}

// Changes a patch of one window (under 10 % of the screen): new text where there was text.
QImage changedScreen(const QImage& image, const QList<TruthLine>& truth, std::mt19937& random,
                     QList<TruthLine>& changedTruth) {
    // A screen saved with few colours loads as an indexed image, which QPainter cannot draw on.
    QImage changed = image.convertToFormat(QImage::Format_RGB32);
    const TruthLine& anchor = truth.at(static_cast<qsizetype>(random() % truth.size()));
    // Inside the screen, so that the new text is drawn whole.
    const QRect patch(std::min(anchor.box.left(), image.width() - 700),
                      std::min(anchor.box.top(), image.height() - 260), 700, 260);
    QPainter painter(&changed);
    const QColor ground = image.pixelColor(std::max(0, anchor.box.left() - 6), anchor.box.top());
    painter.fillRect(patch, ground);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    painter.setFont(font);
    painter.setPen(qGray(ground.rgb()) < 128 ? Qt::white : Qt::black);
    changedTruth.clear();
    for (TruthLine line : truth) {
        if (patch.contains(line.box)) {
            continue;
        }
        // What is left of a line partly painted over is neither scored nor a false alarm.
        if (line.box.intersects(patch)) {
            line.tags = {QStringLiteral("clipped")};
        }
        changedTruth.append(line);
    }
    const QStringList texts = {QStringLiteral("New mail from kim.lee@example.com"),
                               QStringLiteral("Call 555-201-7788 after lunch"),
                               QStringLiteral("The ordinary rest of the note")};
    const QFontMetrics metrics(font);
    int y = patch.top() + 20;
    for (const QString& text : texts) {
        const int left = patch.left() + 10;
        painter.drawText(QPoint(left, y + 28), text);
        QList<std::pair<int, int>> chars;
        for (qsizetype i = 0; i < text.size(); ++i) {
            chars.append({left + metrics.horizontalAdvance(text.left(i)),
                          left + metrics.horizontalAdvance(text.left(i + 1))});
        }
        changedTruth.append(
            TruthLine{text, QRect(left, y, metrics.horizontalAdvance(text), 36), {}, chars});
        y += 70;
    }
    return changed;
}

void print(const char* name, const Results& r) {
    const double n = std::max(1, r.score.sensitive);
    std::printf(
        "%-44s median %6.3f s  max %6.3f s  cpu %6.3f s  exact %5.1f %%  masked %5.1f %%  "
        "unmasked %d  spurious/screen %4.2f\n",
        name, median(r.wall),
        r.wall.empty() ? 0.0 : *std::max_element(r.wall.begin(), r.wall.end()), median(r.cpu),
        100.0 * r.score.exact / n, 100.0 * r.score.masked / n, r.score.sensitive - r.score.masked,
        r.images ? static_cast<double>(r.score.spurious) / r.images : 0.0);
}

void printCategories(const Results& ours, const Results& peer) {
    for (const auto& [tag, score] : ours.categories) {
        if (score.sensitive == 0) {
            continue;
        }
        const auto other = peer.categories.find(tag);
        const double n = score.sensitive;
        std::printf("  %-10s %4d strings  velarion exact %5.1f %% unmasked %d", qPrintable(tag),
                    score.sensitive, 100.0 * score.exact / n, score.sensitive - score.masked);
        if (other != peer.categories.end() && other->second.sensitive > 0) {
            std::printf("  | tesseract+grep exact %5.1f %% unmasked %d",
                        100.0 * other->second.exact / other->second.sensitive,
                        other->second.sensitive - other->second.masked);
        }
        std::printf("\n");
    }
}

struct Options {
    bool peer = true;
    bool plain = true;
    bool defaultPeer = true;
};

int benchSet(const QDir& dir, const Options& options) {
    const bool peer = options.peer;
    const bool plain = options.plain;
    const QStringList images =
        dir.entryList({QStringLiteral("screen_*.png")}, QDir::Files, QDir::Name);
    if (images.isEmpty()) {
        std::fprintf(stderr, "no screen_*.png in %s\n", qPrintable(dir.path()));
        return 1;
    }

    // Engines load once per process, before any timing.
    {
        ScreenTextReader warmUp(EnginePool::shared());
        warmUp.read(QImage(dir.filePath(images.first())));
    }

    Results full, rescan, single, cliOne, cliDefault;
    std::vector<double> preparationCpu;
    int tiles = 0;
    int rescanRecognised = 0;
    int rescanTiles = 0;
    std::mt19937 random(7);
    for (const QString& name : images) {
        const QString path = dir.filePath(name);
        const QImage image(path);
        QFile truthFile(
            dir.filePath(QString(name).replace(QStringLiteral(".png"), QStringLiteral(".json"))));
        truthFile.open(QIODevice::ReadOnly);
        const QList<TruthLine> truth =
            SyntheticScreen::linesFromJson(QJsonDocument::fromJson(truthFile.readAll()).object());

        const double before = processCpuSeconds();
        tiles += static_cast<int>(
            LineLayout::areas(LineLayout::withoutRules(ScreenImageNormalizer::normalize(image)))
                .size());
        preparationCpu.push_back(processCpuSeconds() - before);

        ScreenTextReader reader(EnginePool::shared());
        record(
            full, [&] { return inProcess([&] { return reader.read(image); }); }, truth);

        QList<TruthLine> changedTruth;
        const QImage changed = changedScreen(image, truth, random, changedTruth);
        record(
            rescan, [&] { return inProcess([&] { return reader.read(changed); }); }, changedTruth);
        rescanRecognised += reader.lastCounts().recognised;
        rescanTiles += reader.lastCounts().recognised + reader.lastCounts().reused;

        if (plain) {
            const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
            record(
                single,
                [&] {
                    return inProcess([&] {
                        const EnginePool::Lease lease = EnginePool::shared().acquire();
                        return lease.engine()->recognize(gray);
                    });
                },
                truth);
        }
        if (peer) {
            record(
                cliOne, [&] { return tesseractCli(path, true); }, truth);
            if (options.defaultPeer) {
                record(
                    cliDefault, [&] { return tesseractCli(path, false); }, truth);
            }
        }
        std::fprintf(stderr, "%s done\n", qPrintable(name));
    }

    std::printf("%d images of 2880x1800 in %s\n", static_cast<int>(images.size()),
                qPrintable(dir.path()));
    std::printf("normalising and finding lines: median %.3f s cpu, %.1f text areas per screen\n",
                median(preparationCpu), static_cast<double>(tiles) / images.size());
    print("velarion full scan", full);
    print("velarion re-scan, <10% changed", rescan);
    std::printf("re-scan read %d of %d text areas again\n", rescanRecognised, rescanTiles);
    if (plain) {
        print("one engine, whole image, no normalisation", single);
    }
    if (peer) {
        print("tesseract CLI, OMP_THREAD_LIMIT=1", cliOne);
        if (options.defaultPeer) {
            print("tesseract CLI, defaults", cliDefault);
        }
        std::printf("speed-up of the full scan over OMP_THREAD_LIMIT=1 tesseract: %.2fx\n",
                    median(cliOne.wall) / std::max(1e-9, median(full.wall)));
        std::printf("CPU of the full scan against OMP_THREAD_LIMIT=1 tesseract: %.2fx less\n",
                    median(cliOne.cpu) / std::max(1e-9, median(full.cpu)));
    }
    if (!full.categories.empty()) {
        std::printf("per category (velarion full scan | tesseract CLI and the patterns):\n");
        printCategories(full, cliOne);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList dirs;
    Options options;
    for (const QString& arg : QCoreApplication::arguments().mid(1)) {
        if (arg == QLatin1String("--no-peer")) {
            options.peer = false;
        } else if (arg == QLatin1String("--no-plain")) {
            options.plain = false;
        } else if (arg == QLatin1String("--no-default-peer")) {
            options.defaultPeer = false;
        } else if (arg == QLatin1String("--misses")) {
            g_showMisses = true;
        } else {
            dirs << arg;
        }
    }
    if (dirs.isEmpty()) {
        std::fprintf(stderr,
                     "usage: velarion-ocr-bench DIR... [--no-peer] [--no-default-peer] "
                     "[--no-plain] [--misses]\n");
        return 2;
    }
    int status = 0;
    for (const QString& dir : dirs) {
        status = std::max(status, benchSet(QDir(dir), options));
        std::printf("\n");
    }
    return status;
}
