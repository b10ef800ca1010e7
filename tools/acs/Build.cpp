// `build`: compiles a manifest (JSON, images as PNG, sounds as WAV) into a character file.

#include "Commands.h"
#include "Manifest.h"

#include "agent/acs/Writer.h"

#include <fstream>

namespace acstool {

int runBuild(const std::string& manifest, const std::string& out) {
    acs::CharacterData data;
    try {
        data = readManifest(manifest);
    } catch (const ManifestError& e) {
        return fail(manifest, e.detail);
    } catch (const std::exception& e) {
        return fail(manifest, e.what());
    }
    const acs::WriteResult written = acs::writeCharacter(data);
    if (!written.ok()) {
        return fail(manifest, written.error().message());
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(written.value().data()),
               static_cast<std::streamsize>(written.value().size()));
    if (!file) {
        return fail(out, "cannot write the file");
    }
    return 0;
}

}  // namespace acstool
