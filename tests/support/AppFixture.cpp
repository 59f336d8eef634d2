#include "support/AppFixture.h"

#include "ports/SerialPort.h"
#include "protocol/Opcodes.h"
#include "views/DropBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

const QString programFile = QStringLiteral(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");
const QString examplesFolder = QStringLiteral(INFRABRICK_SOURCE_DIR "/examples");

SimBrick::SimBrick()
{
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    process = std::make_unique<SimProcess>(INFRABRICK_SIM, std::vector<std::string>{"--announce", name.toStdString()});
}

QStringList SimBrick::commands()
{
    const QJsonArray history = parsed("history").array();
    EXPECT_EQ(control("history clear"), "ok");
    QStringList heard;
    for (const QJsonValue& entry : history) {
        const int opcode = withoutToggle(entry.toString().left(2).toInt(nullptr, 16));
        heard.append(QString::number(opcode, 16).rightJustified(2, '0').toUpper() + entry.toString().mid(2));
    }
    return heard;
}

// A brick that stopped answering must not pass for one that heard nothing.
QJsonDocument SimBrick::parsed(const QString& command)
{
    const QString answer = control(command);
    const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8());
    if (document.isNull())
        ADD_FAILURE() << command.toStdString() << ": " << answer.toStdString();
    return document;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

QString status(MainWindow& window, const char* part) { return window.statusBar()->findChild<QLabel*>(part)->text(); }

void choose(QComboBox* menu, int item)
{
    menu->setCurrentIndex(item);
    emit menu->activated(item);
}

void BrickTest::save(const QVariantMap& values)
{
    for (QSettings store = settings(); const auto& [key, value] : values.asKeyValueRange())
        store.setValue(key, value);
}

void BrickTest::savePort(const QString& type, const QString& name, const QString& path)
{
    save({{"Port Type", type}, {"Port Name", name}, {"Port Path", path}, {"Battery Check Time", 100}, {"Input Check Time", 10}, {"Datalog Check Time", 20},
          {"Battery Full Level", 9.6}, {"Battery Empty Level", 6.6}});
}

QString BrickTest::write(const QString& name, const QByteArray& text)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size());
    return file.fileName();
}

void StartTest::launch()
{
    launch(std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<AbsentTower>()));
}

void StartTest::launch(std::unique_ptr<AllPorts> ports)
{
    controller = std::make_unique<LegoController>(window, std::move(ports));
    window.show();
    controller->applicationDidFinishLaunching();
    controller->timer().stop();
}

bool StartTest::drop(const QMimeData& data)
{
    DropBox* box = named<DropBox>(window, "dropBox");
    QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QDropEvent drop(box->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragLeaveEvent leave;
    QApplication::sendEvent(box, enter.isAccepted() ? static_cast<QEvent*>(&drop) : &leave);
    return enter.isAccepted();
}

bool StartTest::dropFile(const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    return drop(data);
}

QString StartTest::progressText() { return named<QLabel>(progress(), "fileProgressText")->text(); }

