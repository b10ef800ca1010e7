#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/download/Installers.h"

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(Installers, DeletesOnlyWhatIsThereAndReportsNothing) {
    QTemporaryDir dir;
    fakes::FakePlatform fake(dir.path());
    app::DeleteInstallers(fake.services);  // none present: nothing happens
    touch(dir.filePath(QStringLiteral("3.exe")));
    touch(dir.filePath(QStringLiteral("6.exe")));
    app::DeleteInstallers(fake.services);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("3.exe"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("6.exe"))));
    EXPECT_TRUE(fake.messages.boxes.empty());
}

}  // namespace
