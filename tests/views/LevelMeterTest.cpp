// The level meters with the application's own pictures, whose drawings go
// to the build folder's pictures/: the full picture fills a meter from the
// bottom up to its level, the empty picture the rest.
#include "Pictures.h"

#include "views/LevelMeter.h"

#include <QPainter>

#include <array>

namespace {

QImage line(const QImage& picture, int y) { return picture.copy(0, y, picture.width(), 1); }

TEST(LevelMeter, TheFullPictureFillsTheMeterFromTheBottomUpToItsLevel)
{
    for (const QString name : {"Battery", "Notebook"}) {
        const QImage full(":/images/" + name + "Full.png"), empty(":/images/" + name + "Empty.png");
        ASSERT_FALSE(full.isNull() || empty.isNull());
        LevelMeter meter;
        meter.resize(full.size());
        meter.setFullImage(full, empty);
        meter.setMaxLevel(10, 2);
        auto at = [&](float level) { return meter.setLevel(level), painted(meter); };
        const QImage whole = at(10), none = at(2);
        int differing = 0;
        for (int y = 0; y < full.height(); ++y)
            differing += line(whole, y) != line(none, y);
        ASSERT_GE(differing, full.height() / 4) << name.toStdString() << ": the two pictures tell the levels apart";

        QImage strip(5 * full.width(), full.height(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&strip);
        int shown = 0;
        for (int eighths : {0, 1, 4, 7, 8}) {
            const QImage picture = at(2 + eighths);
            const int edge = full.height() * (8 - eighths) / 8;
            for (int y = 0; y < full.height(); ++y)
                if (std::abs(y - edge) > 1) {
                    ASSERT_EQ(line(picture, y), line(y < edge ? none : whole, y)) << name.toStdString() << eighths << "/8 at " << y;
                }
            painter.drawImage(full.width() * shown++, 0, picture);
        }
        painter.end();
        savePicture(strip, qPrintable(name.toLower() + "-meter"));
        meter.setMeterVisible(false);
        QImage white(full.size(), QImage::Format_ARGB32_Premultiplied);
        white.fill(Qt::white);
        EXPECT_EQ(painted(meter), white) << "a hidden meter draws nothing";
    }
}

// The level stays on the scale: a reading beyond it shows at its end, a new
// scale pulls the level in, a scale whose top is not above its bottom is
// ignored. The tool tip shows the reading as it came, formatted or plain.
TEST(LevelMeter, KeepsItsLevelOnTheScaleAndShowsTheReadingInItsToolTip)
{
    // The level before, the new scale's top and bottom, and what follows.
    const std::pair<std::array<float, 3>, const char*> scales[] = {
        {{3, 5, 5}, "-1000..1000 at 3"}, {{3, 4, 5}, "-1000..1000 at 3"}, {{150, 100, 0}, "0..100 at 100"},
        {{-7, 100, 0}, "0..100 at 0"},   {{42, 100, 0}, "0..100 at 42"}};
    for (const auto& [scale, after] : scales) {
        LevelMeter meter;
        meter.setMaxLevel(1000, -1000);
        meter.setLevel(scale[0]);
        meter.setMaxLevel(scale[1], scale[2]);
        EXPECT_EQ(QString("%1..%2 at %3").arg(meter.minLevelValue()).arg(meter.maxLevelValue()).arg(meter.levelValue()),
                  after);
    }
    LevelMeter plain;
    plain.setLevel(3);
    EXPECT_EQ(plain.toolTip(), "3");
    // A hidden meter has no tool tip until a reading comes, even the same one.
    LevelMeter meter;
    meter.setLevel(0.5f);
    meter.setMeterVisible(false);
    meter.setToolTipFormat("%f");
    EXPECT_EQ(meter.toolTip(), "");
    meter.setLevel(0.5f);
    EXPECT_EQ(meter.toolTip(), "0.500000");
}

} // namespace
