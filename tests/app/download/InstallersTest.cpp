#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/core/ProgramFile.h"
#include "app/download/Installers.h"

namespace {

TEST(ProgramFile, FixedNamesFindFilesThatDifferOnlyInCaseAndOnlyInstallersAreDeleted) {
    QTemporaryDir dir;
    fakes::FakePlatform fake(dir.path());
    const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    testsupport::writeFiles(dir.path(), {{"Filecopy.avi", {}}, {"2.BIN", {}}});
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("filecopy.avi")),
              path("Filecopy.avi"));
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("2.bin")), path("2.BIN"));
    // Nothing of the name yet: the name as the program spells it, to be created.
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("4.exe")), path("4.exe"));

    // 1.exe to 5.exe in any case go; the missing ones are not reported.
    testsupport::writeFiles(dir.path(), {{"3.EXE", {}}, {"5.Exe", {}}, {"6.exe", {}}});
    app::DeleteInstallers(fake.services);
    EXPECT_TRUE(fake.messages.boxes.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"2.BIN", "6.exe", "Filecopy.avi"}));
}

}  // namespace
