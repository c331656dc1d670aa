#pragma once

#include <QString>

// The Help window's three topics.
namespace help {

enum Topic { GeneralUsage = 0, Options = 1, Hotkeys = 2 };
constexpr int topicCount = 3;

// The label that picks the topic.
QString topicTitle(int topic);

// The topic's whole text: lines end in carriage return and line feed, and a
// paragraph under a heading starts with a tab.
QString topicText(int topic);

} // namespace help
