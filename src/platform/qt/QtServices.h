#pragma once

#include <QString>

#include <memory>

#include "platform/Services.h"

namespace platform {

// The real services on this system, owned in one place and wired by main(). Services whose
// implementation lives elsewhere (transfer, program start, drive list) are passed in.
class QtServices {
public:
    QtServices(HttpTransfer& http, ProcessStarter& processes, DriveList& drives);
    ~QtServices();
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    Services& services() { return *m_services; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<Services> m_services;
};

// The program folder (see ProgramFolder.h), without a trailing separator.
QString programFolderPath();

}  // namespace platform
