#pragma once

#include <QString>

// The brick's watch, minutes since midnight, as HH:MM.
QString watchText(int minutes);
