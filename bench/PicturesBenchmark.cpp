// The cost of the pictures of the data, offscreen, each beside its bound:
//   ShowLargestDatalog  from the end of the upload of the largest datalog the
//                       brick holds (2047 entries, every kind of source) to
//                       the window drawn with its chart and table, in real
//                       time: under 100 ms
//   SensorReading       one reading added to a sensor's full two-minute
//                       history and its small chart drawn again, in CPU time.
//                       The history may cost 0.1% of a core, 1 ms of CPU a
//                       second: at the fastest polling, three sensors twice a
//                       second, a reading may take 1000 / 6 = 167 µs; at the
//                       default, once a second, 333 µs
#include "app/DatalogWindow.h"
#include "ports/NoPort.h"
#include "views/SensorHistoryView.h"

#include <QApplication>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>

namespace {

using namespace std::chrono_literals;

// Sensors, timers, variables, the watch and a kind no firmware logs, in turn.
std::vector<LogEntry> largestDatalog()
{
    constexpr int largest = 2047;
    constexpr int types[] = {0x40, 0x41, 0x42, 0x20, 0x21, 0x00, 0x01, 0x02, 0x03, 0x80, 0x62};
    std::vector<LogEntry> entries;
    for (int entry = 0; entry < largest; ++entry)
        entries.push_back({types[entry % std::size(types)], (entry * 37) % 1024});
    return entries;
}

void ShowLargestDatalog(benchmark::State& state)
{
    NoPort port;
    RCXPacket packet(port);
    RCXSender sender(packet, nullptr);
    RCXController controller(sender, packet);
    const std::vector<LogEntry> entries = largestDatalog();
    DatalogWindow window;
    for (auto _ : state) {
        window.showDatalog(UploadedDatalog(entries, [&controller](int type, int value) {
            return controller.datalogLine(type, value);
        }));
        QApplication::processEvents();
        window.repaint();
    }
}
BENCHMARK(ShowLargestDatalog)->Unit(benchmark::kMillisecond)->UseRealTime();

void SensorReading(benchmark::State& state)
{
    QWidget group;
    auto* view = new SensorHistoryView(&group);
    (new QVBoxLayout(&group))->addWidget(view);
    group.show();
    const SensorHistory::Mode light{3, 4, 0};
    auto time = SensorHistory::Clock::time_point{};
    for (int reading = 0; reading < 240; ++reading, time += 500ms)
        view->record(reading % 100, light, time);
    QApplication::processEvents();
    int reading = 0;
    for (auto _ : state) {
        view->record(++reading % 100, light, time += 500ms);
        QApplication::processEvents();
    }
}
BENCHMARK(SensorReading)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
