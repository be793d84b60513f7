// Fills the song tree (file read, parse, model, view, every node expanded) from a
// generated list of 100,000 nodes three levels deep, and compares it with reading and
// parsing the same file with QXmlStreamReader alone, both measured here in the same
// run. Prints the ratio last.

#include "thread_cpu.h"
#include "TreeViewList.h"
#include "UnitSongTree.h"
#include "song_tree_model.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <vector>

namespace {

constexpr int kGroups = 100;
constexpr int kNodes = 100000;  // the root, the groups and the songs under them
constexpr int kRounds = 11;

using bench_support::Median;
using bench_support::TimeMs;

QByteArray GenerateList()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<root topic=\"Song list\" action=\"https://songs.example.org/\">\n";
    const int songs = kNodes - 1 - kGroups;
    int song = 0;
    for (int g = 0; g < kGroups; ++g) {
        xml += "  <group topic=\"Singers " + QByteArray::number(g) + "\" action=\"https://songs.example.org/singers/" +
               QByteArray::number(g) + "\">\n";
        const int inGroup = songs / kGroups + (g < songs % kGroups ? 1 : 0);
        for (int i = 0; i < inGroup; ++i, ++song)
            xml += "    <song topic=\"Song number " + QByteArray::number(song) +
                   "\" action=\"https://songs.example.org/song.php?id=" + QByteArray::number(song) + "\"/>\n";
        xml += "  </group>\n";
    }
    return xml + "</root>\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath("song_list.xml");
    const QByteArray list = GenerateList();
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(list) != list.size()) return 1;
    }

    QWidget page;
    TSongTree tree(&page);
    tree.TreeViewList->resize(175, 314);
    page.resize(185, 340);
    page.show();

    size_t sink = 0;
    std::vector<double> parseTimes, fillTimes;
    for (int round = 0; round < kRounds; ++round) {
        parseTimes.push_back(TimeMs([&] {
            // The reference: the file read and every element's two attributes looked at.
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) return;
            QXmlStreamReader reader(in.readAll());
            while (!reader.atEnd()) {
                if (reader.readNext() != QXmlStreamReader::StartElement) continue;
                const QXmlStreamAttributes attributes = reader.attributes();
                sink += static_cast<size_t>(attributes.value(QLatin1StringView("topic")).size() +
                                            attributes.value(QLatin1StringView("action")).size());
            }
        }));
        fillTimes.push_back(TimeMs([&] {
            tree.FillSongTree(file);
            QCoreApplication::processEvents();
        }));
        sink += static_cast<size_t>(tree.Model().NodeCount());
    }
    if (tree.Model().NodeCount() != kNodes || !tree.TreeViewList->isExpanded(tree.Model().IndexOfNode(1))) {
        std::fprintf(stderr, "song_tree: filled %d nodes of %d\n", tree.Model().NodeCount(), kNodes);
        return 1;
    }

    const double parse = Median(parseTimes);
    const double fill = Median(fillTimes);
    std::printf("%d nodes, %lld bytes: QXmlStreamReader %.1f ms, fill %.1f ms (thread CPU time, median of %d, %zu)\n",
                kNodes, static_cast<long long>(list.size()), parse, fill, kRounds, sink);
    std::printf("song_tree: fill %.1f ms (goal < 1000 ms)\n", fill);
    std::printf("song_tree: fill ratio %.2f vs QXmlStreamReader (goal <= 3)\n", fill / parse);
    return 0;
}
