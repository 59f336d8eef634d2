#include "cli/ProgressBar.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int barWidth = 30;

} // namespace

ProgressBar::ProgressBar(bool draws)
    : draws(draws)
{
}

bool ProgressBar::onTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void ProgressBar::startFileOp(const std::string& title)
{
    percent = 0;
    timeLeft.restart();
    sinceStart.start();
    if (!draws)
        return;
    std::fprintf(stderr, "%s\n", title.c_str());
    draw();
}

void ProgressBar::advanceBy(double increment)
{
    percent += increment;
    timeLeft.reached(percent, TimeLeft::Time(sinceStart.elapsed()));
    draw();
}

void ProgressBar::abortFileOp(const std::string& message)
{
    failureMessage = message;
    endLine();
}

void ProgressBar::stopFileOp()
{
    // The datalog's increments add up to a little under 100.
    if (lineOpen) {
        percent = 100;
        draw();
    }
    endLine();
}

void ProgressBar::draw()
{
    if (!draws)
        return;
    const double shown = std::clamp(percent, 0.0, 100.0);
    const int filled = static_cast<int>(shown * barWidth / 100);
    const QString bar = QString(filled, '#') + QString(barWidth - filled, '-');
    // Cleared to the line's end: the time left's text may grow shorter.
    std::fprintf(stderr, "\r[%s] %3d%%  %s\033[K", qPrintable(bar), static_cast<int>(shown),
                 qPrintable(TimeLeft::text(timeLeft.left())));
    std::fflush(stderr);
    lineOpen = true;
}

void ProgressBar::endLine()
{
    if (lineOpen)
        std::fputc('\n', stderr);
    lineOpen = false;
}
