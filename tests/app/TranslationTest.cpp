// The German translation covers every text the application looks up: the
// forms' texts, the application's own, and those of the Qt-free core.
#include "models/Memory.h"
#include "models/Variables.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
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

// The value of one C++ string literal body.
QString unescape(const QString& body)
{
    QString text;
    for (qsizetype at = 0; at < body.size(); ++at) {
        if (body[at] != '\\' || at + 1 == body.size()) {
            text += body[at];
            continue;
        }
        QChar next = body[++at];
        text += next == 'n' ? QChar('\n') : next == 't' ? QChar('\t') : next;
    }
    return text;
}

// The keys passed as the first text argument after `call` in C++ sources:
// adjacent literals are joined, as the compiler joins them.
std::set<QString> keysInSources(const QString& folder, const QString& call)
{
    static const QRegularExpression literal(R"re(\s*"((?:[^"\\]|\\.)*)")re");
    std::set<QString> keys;
    QDirIterator files(folder, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QString text = readAll(files.next());
        for (qsizetype at = text.indexOf(call); at >= 0; at = text.indexOf(call, at + 1)) {
            qsizetype position = at + call.size();
            QString key;
            for (auto match = literal.match(text, position, QRegularExpression::NormalMatch,
                                            QRegularExpression::AnchorAtOffsetMatchOption);
                 match.hasMatch(); match = literal.match(text, position, QRegularExpression::NormalMatch,
                                                         QRegularExpression::AnchorAtOffsetMatchOption)) {
                key += unescape(match.captured(1));
                position = match.capturedEnd();
            }
            if (!key.isEmpty())
                keys.insert(key);
        }
    }
    return keys;
}

std::set<QString> keysInForms(const QString& folder)
{
    std::set<QString> keys;
    QDirIterator files(folder, {"*.ui"}, QDir::Files);
    while (files.hasNext()) {
        QXmlStreamReader form(readAll(files.next()));
        while (!form.atEnd()) {
            form.readNext();
            if (form.isStartElement() && form.name() == u"string" && form.attributes().value("notr") != u"true") {
                QString text = form.readElementText();
                if (!text.isEmpty())
                    keys.insert(text);
            }
        }
    }
    return keys;
}

// Sources with a finished translation in a .ts file.
std::set<QString> translatedKeys(const QString& path)
{
    std::set<QString> keys;
    QXmlStreamReader ts(readAll(path));
    QString source;
    while (!ts.atEnd()) {
        ts.readNext();
        if (!ts.isStartElement())
            continue;
        if (ts.name() == u"source") {
            source = ts.readElementText();
        } else if (ts.name() == u"translation") {
            bool unfinished = ts.attributes().value("type") == u"unfinished";
            if (!ts.readElementText().isEmpty() && !unfinished)
                keys.insert(source);
        }
    }
    return keys;
}

const QString germanTs = sourceDir + "/resources/translations/infrabrick_de.ts";

TEST(TranslationTest, GermanCoversEveryKeyInUse)
{
    std::set<QString> inUse = keysInForms(sourceDir + "/src/app");
    for (const char* call : {"translate(\"Localizable\",", "QT_TRANSLATE_NOOP(\"Localizable\","})
        inUse.merge(keysInSources(sourceDir + "/src", call));
    // The core's texts, passed to the lookup or kept as failure messages.
    for (const char* call : {"localized(", "localizedFormat(", "return ", "= "})
        inUse.merge(keysInSources(sourceDir + "/src/rcx", call));
    // The models' titles and column headers.
    for (const char* call : {"localizedText(", "numberedTitle("})
        inUse.merge(keysInSources(sourceDir + "/src/models", call));
    for (const QStringList& columns : {Memory::columns, Variables::columns})
        inUse.insert(columns.begin(), columns.end());
    ASSERT_GT(inUse.size(), 100u);
    ASSERT_TRUE(inUse.count("Check that the brick is switched on and faces the tower, close enough. "
                            "A brick that shows no program number after being switched on needs firmware."));
    ASSERT_TRUE(inUse.count("Can't open file \"%@\""));
    ASSERT_TRUE(inUse.count("File \"%@\" is too large"));
    ASSERT_TRUE(inUse.count("Slot %d"));

    std::set<QString> german = translatedKeys(germanTs);
    for (const QString& key : inUse)
        EXPECT_TRUE(german.count(key)) << "no German for: " << key.toStdString();
}

TEST(TranslationTest, GermanDesktopLoadsTheGermanTable)
{
    QTranslator translator;
    ASSERT_TRUE(translator.load(QLocale(QLocale::German, QLocale::Germany), "infrabrick", "_", ":/i18n"));
    EXPECT_EQ(translator.translate("Localizable", "Delete"), "Löschen");
    EXPECT_EQ(translator.translate("Localizable", "RCX memory full"), "RCX-Speicher voll");
    // English texts are their own keys; the English table names only the
    // column identifiers.
    QTranslator english;
    ASSERT_TRUE(english.load(QLocale(QLocale::English, QLocale::UnitedStates), "infrabrick", "_", ":/i18n"));
    EXPECT_EQ(english.translate("Localizable", "No1"), "No.");
    EXPECT_EQ(english.translate("Localizable", "Delete"), "");
}

} // namespace
