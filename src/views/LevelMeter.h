#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

// A vertical gauge: the picture of the full gauge below the split and the
// picture of the empty one above it, split at the height of the level between
// minLevel and maxLevel. The tool tip shows the reading through a format with
// one %f.
//
// Hiding is the meter's own state (setMeterVisible), not the widget's: a
// hidden meter keeps its place in the window but draws nothing.
class LevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr);

    // The two pictures are to have the same size: the split is taken from the
    // full one and applied to both.
    void setFullImage(const QImage& full, const QImage& empty);
    // Ignored unless max > min; the level is brought within the new scale.
    void setMaxLevel(float max, float min);
    // The tool tip shows `value` as given, the picture the value clamped to
    // the scale.
    void setLevel(float value);
    void setToolTipFormat(const QString& format);
    void setMeterVisible(bool shown);
    bool isMeterVisible() const { return visible; }

    float levelValue() const { return level; }
    float maxLevelValue() const { return maxLevel; }
    float minLevelValue() const { return minLevel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString toolTipText(float value) const;

    float maxLevel = 1.0f;
    float minLevel = 0.0f;
    float level = 0.0f;
    QImage fullImage;
    QImage emptyImage;
    std::optional<QString> toolTipFormat;
    bool visible = true;
};
