#include "rcx/Localization.h"

#include <gtest/gtest.h>

namespace {

TEST(Formatter, FillsEachConversionAsPrintfWould)
{
    EXPECT_EQ(formatText("Can't open file \"%@\"", {"a b.rcx"}), "Can't open file \"a b.rcx\"");
    EXPECT_EQ(formatText("%d|%d|%d", {0, -5, 2147483647}), "0|-5|2147483647");
    EXPECT_EQ(formatText("%x %x %x", {255, 0, -1}), "ff 0 ffffffff");
    EXPECT_EQ(formatText("%f %f", {1.5, -0.25}), "1.500000 -0.250000");
    EXPECT_EQ(formatText("%f", {2}), "2.000000");
    EXPECT_EQ(formatText("Variable %@\t%d\n", {"3: speed", -120}), "Variable 3: speed\t-120\n");
}

TEST(Formatter, KeepsOtherTextAsItStands)
{
    EXPECT_EQ(formatText("100%% done", {}), "100% done");
    EXPECT_EQ(formatText("%s %5d %", {1}), "%s %5d %");
    EXPECT_EQ(formatText("", {"unused"}), "");
    EXPECT_EQ(formatText("Firmware download error", {"name.lgo"}), "Firmware download error");
}

TEST(Formatter, NeverReadsPastItsArguments)
{
    EXPECT_EQ(formatText("%@ and %@ and %d", {"one"}), "one and  and ");
}

TEST(Formatter, TakesWhatAValueOfAnotherKindAllows)
{
    EXPECT_EQ(formatText("%@|%@", {7, "x"}), "7|x");
    EXPECT_EQ(formatText("%d|%f", {"text", "text"}), "0|0.000000");
    EXPECT_EQ(formatText("%d", {3.9}), "3");
}

TEST(Localizer, ReturnsTheKeyUntilOneIsInstalled)
{
    EXPECT_EQ(localized("RCX memory full"), "RCX memory full");
    setLocalizer([](const std::string& key) { return key == "Unknown" ? std::string("Unbekannt") : key; });
    EXPECT_EQ(localized("Unknown"), "Unbekannt");
    EXPECT_EQ(localized("Timer %@\t%d\n"), "Timer %@\t%d\n");
    setLocalizer({});
    EXPECT_EQ(localized("Unknown"), "Unknown");
}

TEST(Localizer, LooksTheFormatUpBeforeFillingIt)
{
    setLocalizer([](const std::string& key) {
        return key == "Downloading file \"%@\"" ? std::string("Lade \u201e%@\u201c") : key;
    });
    EXPECT_EQ(localizedFormat("Downloading file \"%@\"", {"p.rcx"}), "Lade \u201ep.rcx\u201c");
    setLocalizer({});
}

} // namespace
