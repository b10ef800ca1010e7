#pragma once

#include <QString>

namespace app {

// The program's title, "ﾎﾟﾙｶﾈ ９９".
QString applicationTitle();

// The version text "ﾊﾞｰｼﾞｮﾝ 1.0.0"; the number is the project's version.
QString versionText();

}  // namespace app
