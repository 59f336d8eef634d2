// The German table covers every text the application and its Qt-free core look up.
#include "models/Memory.h"
#include "models/Variables.h"

#include <QtCore>
#include <gtest/gtest.h>

#include <set>

namespace {

const QString sourceDir = INFRABRICK_SOURCE_DIR;

QString readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// The string literals after each `call` under `folder`, joined as the compiler joins them.
std::set<QString> keysInSources(const QString& folder, const QString& call)
{
    static const QRegularExpression literals(R"re((\s*"(?:[^"\\]|\\.)*")+)re"), literal(R"re("((?:[^"\\]|\\.)*)")re");
    std::set<QString> keys;
    for (QDirIterator files(folder, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
        const QString text = readAll(files.next());
        for (qsizetype at = text.indexOf(call); at >= 0; at = text.indexOf(call, at + 1)) {
            const QString joined = literals.match(text, at + call.size(), QRegularExpression::NormalMatch,
                                                  QRegularExpression::AnchorAtOffsetMatchOption).captured();
            QString key;
            for (auto each = literal.globalMatch(joined); each.hasNext();)
                key += each.next().captured(1).replace("\\n", "\n").replace("\\t", "\t").replace("\\\"", "\"");
            if (!key.isEmpty())
                keys.insert(key);
        }
    }
    return keys;
}

std::set<QString> keysInForms(const QString& folder)
{
    std::set<QString> keys;
    for (QDirIterator files(folder, {"*.ui"}, QDir::Files); files.hasNext();) {
        for (QXmlStreamReader form(readAll(files.next())); !form.atEnd();) {
            const bool translated = form.readNext() == QXmlStreamReader::StartElement && form.name() == u"string" && form.attributes().value("notr") != u"true";
            if (const QString text = translated ? form.readElementText() : QString(); !text.isEmpty())
                keys.insert(text);
        }
    }
    return keys;
}

TEST(TranslationTest, GermanCoversEveryKeyInUse)
{
    std::set<QString> inUse = keysInForms(sourceDir + "/src/app");
    // The core's texts are passed to the lookup or kept as failure messages.
    const std::pair<const char*, const char*> calls[] = {
        {"/src", "translate(\"Localizable\","}, {"/src", "QT_TRANSLATE_NOOP(\"Localizable\","}, {"/src/rcx", "localized("},
        {"/src/rcx", "localizedFormat("}, {"/src/rcx", "return "}, {"/src/rcx", "= "}, {"/src/models", "localizedText("},
        {"/src/models", "numberedTitle("}, {"/src/cli", "Localizable::tr("},
    };
    for (const auto& [folder, call] : calls)
        inUse.merge(keysInSources(sourceDir + folder, call));
    for (const QStringList& columns : {Memory::columns, Variables::columns})
        inUse.insert(columns.begin(), columns.end());
    // Texts of each kind, so that a reader that finds none fails here.
    for (const char* key : {"Check that the brick is switched on and faces the tower, close enough. "
                            "A brick that shows no program number after being switched on needs firmware.",
                            "Can't open file \"%@\"", "File \"%@\" is too large", "Slot %d", "With Slope...",
                            "The tower \"%1\" cannot be used (error %2)"})
        ASSERT_TRUE(inUse.count(key)) << key;

    QTranslator german; // the table as it ships, unfinished entries left out
    ASSERT_TRUE(german.load("infrabrick_de", ":/i18n"));
    for (const QString& key : inUse)
        EXPECT_FALSE(german.translate("Localizable", key.toUtf8()).isEmpty()) << "no German for: " << key.toStdString();
}

} // namespace
