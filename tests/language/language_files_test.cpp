// The shipped language files: every key of every section in both, each language whole
// (no English left in the Chinese file, no Chinese in the English one), the messages'
// placeholders kept, and the built-in typos mended.
#include "language_keys.h"
#include "language_test_support.h"
#include "profile.h"
#include "program_messages.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <string>
#include <vector>

namespace {

using language_test::ShippedFile;

constexpr const char* kAbsent = "\x01 absent \x01";

struct Entry {
    std::string section;
    std::string key;
};

// Every key the program reads from a language file: the list, the added captions and
// the messages.
std::vector<Entry> AllKeys()
{
    std::vector<Entry> all;
    for (const language_keys::Key& k : language_keys::Keys()) all.push_back({k.section, k.key});
    for (const language_keys::AddedKey& k : language_keys::AddedKeys()) all.push_back({k.section, k.key});
    for (size_t i = 0; i < program_messages::kCount; ++i)
        all.push_back({program_messages::kSection, program_messages::KeyOf(static_cast<program_messages::Id>(i))});
    return all;
}

QString Value(const char* file, const Entry& e)
{
    return QString::fromStdString(profile::ReadString(ShippedFile(file), e.section, e.key, kAbsent));
}

// Words of English: two ASCII letters in a row.
bool HasWords(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    return word.match(text).hasMatch();
}

bool AsciiOnly(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0x7F) return false;
    return true;
}

bool HasChinese(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x2E80) return true;
    return false;
}

QSet<QString> Placeholders(const QString& text)
{
    QSet<QString> found;
    static const QRegularExpression marker(QStringLiteral("%[1-9]"));
    for (auto it = marker.globalMatch(text); it.hasNext();) found << it.next().captured();
    return found;
}

// The "section/key" names of the key lines in a file, in lower case.
QStringList KeyLines(const char* file)
{
    QFile f(QString::fromStdString(ShippedFile(file)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file;
    QStringList names;
    QString section;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(';')) continue;
        if (line.startsWith('[')) {
            section = line.mid(1, line.indexOf(']') - 1).trimmed().toLower();
            continue;
        }
        names << section + '/' + line.left(line.indexOf('=')).trimmed().toLower();
    }
    return names;
}

class ShippedFiles : public testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(ShippedFiles, HoldEveryKeyOfEverySectionOnceAndNothingElse)
{
    std::vector<std::string> missing;
    QStringList sections;
    QHash<QString, QStringList> keysOf;  // each section's keys, in the order they are read
    for (const Entry& e : AllKeys()) {
        if (Value(GetParam(), e) == kAbsent) missing.push_back(e.section + "/" + e.key);
        const QString section = QString::fromStdString(e.section).toLower();
        if (!sections.contains(section)) sections << section;
        keysOf[section] << section + '/' + QString::fromStdString(e.key).toLower();
    }
    QStringList expected;
    for (const QString& section : sections) expected << keysOf[section];
    EXPECT_TRUE(missing.empty()) << GetParam() << " lacks " << missing.size() << " keys, first " << missing.front();
    // Every key line is one the program reads, each once, in the order it reads them.
    EXPECT_EQ(KeyLines(GetParam()), expected);
}

TEST_P(ShippedFiles, AreUtf8WithoutEmptyValuesOrQuotes)
{
    QFile f(QString::fromStdString(ShippedFile(GetParam())));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8(f.readAll()));
    EXPECT_FALSE(utf8.hasError()) << GetParam();
    for (const Entry& e : AllKeys()) {
        const QString value = Value(GetParam(), e);
        EXPECT_FALSE(value.trimmed().isEmpty()) << GetParam() << " " << e.section << "/" << e.key;
        EXPECT_FALSE(value.startsWith('"') && value.endsWith('"')) << e.key;
    }
}

INSTANTIATE_TEST_SUITE_P(Both, ShippedFiles, testing::Values("en.ini", "gb.ini"));

TEST(ShippedFiles, TheChineseFileIsTranslatedAndTheEnglishOneHoldsNoChinese)
{
    std::vector<std::string> untranslated, chineseInEnglish;
    for (const Entry& e : AllKeys()) {
        const QString english = Value("en.ini", e);
        const QString chinese = Value("gb.ini", e);
        if (HasWords(english) && AsciiOnly(chinese)) untranslated.push_back(e.section + "/" + e.key + "=" + chinese.toStdString());
        if (HasChinese(english)) chineseInEnglish.push_back(e.section + "/" + e.key);
    }
    EXPECT_TRUE(untranslated.empty()) << untranslated.size() << " untranslated, first " << untranslated.front();
    EXPECT_TRUE(chineseInEnglish.empty()) << chineseInEnglish.front();
}

TEST(ShippedFiles, MessagesKeepTheirPlaceholdersInBothLanguages)
{
    for (size_t i = 0; i < program_messages::kCount; ++i) {
        const auto id = static_cast<program_messages::Id>(i);
        const Entry e{program_messages::kSection, program_messages::KeyOf(id)};
        const QSet<QString> builtIn = Placeholders(QString::fromUtf8(program_messages::EnglishOf(id)));
        EXPECT_EQ(Placeholders(Value("en.ini", e)), builtIn) << e.key;
        EXPECT_EQ(Placeholders(Value("gb.ini", e)), builtIn) << e.key;
        // The English file says what the program says without it.
        EXPECT_EQ(Value("en.ini", e), QString::fromUtf8(program_messages::EnglishOf(id))) << e.key;
    }
}

TEST(ShippedFiles, TheSeparatorsAreLinesAndTheBuiltInTyposAreMended)
{
    for (const char* file : {"en.ini", "gb.ini"}) {
        EXPECT_EQ(Value(file, {"frmAudioEditor", "popMenuSpliter1"}), "-");
        EXPECT_EQ(Value(file, {"frmAudioEditor", "popMenuSpliter2"}), "-");
        EXPECT_NE(Value(file, {"frmStereoMixer", "caption"}), "Choose Setereo");
        EXPECT_FALSE(Value(file, {"frmDisplay", "PopupMenuPause"}).contains("Contiue"));
    }
    EXPECT_EQ(Value("gb.ini", {"frmMain", "ToolButton4"}), QString::fromUtf8("在线帮助"));
    QFile gb(QString::fromStdString(ShippedFile("gb.ini")));
    ASSERT_TRUE(gb.open(QIODevice::ReadOnly));
    EXPECT_FALSE(QString::fromUtf8(gb.readAll()).contains(QString::fromUtf8("帮组")));
    // The keys the display window reads are there as before.
    EXPECT_EQ(Value("en.ini", {"frmDisplay", "caption"}), "Display");
}
