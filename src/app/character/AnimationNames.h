#pragma once

#include <QString>

namespace app {

// An animation name as the scheduler plays it: surrounding blanks removed, full-width forms
// narrowed to half-width and letters lowered, in one conversion.
QString narrowLower(const QString& name);

}  // namespace app
