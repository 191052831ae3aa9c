#include "platform/CServiceLibraryLoader.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <filesystem>

#include "accesslib/client/CClientSettings.h"
#include "accesslib/client/CServiceConnection.h"

namespace {

// The full path of a loaded library, from the dynamic loader itself.
std::string LoadedPath(void* handle) {
    link_map* map = nullptr;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
    std::error_code error;
    const std::filesystem::path path = std::filesystem::canonical(map->l_name, error);
    return error ? std::string(map->l_name) : path.string();
}

}  // namespace

CServiceLibraryLoader::CAnswer CServiceLibraryLoader::AnswersHello(const std::string& socketPath) {
    CServiceConnection connection(socketPath);
    ChipFrame::CResponse response;
    CAnswer answer;
    answer.serves = connection.RoundTrip(ChipFrame::CRequest{}, response) && response.status == ChipFrame::kOk &&
                    response.data.size() >= 2;
    answer.readOnly = answer.serves && (response.data[1] & (ChipFrame::kFlagReader | ChipFrame::kFlagReadOnly));
    return answer;
}

void* CServiceLibraryLoader::Open(const std::string& name) {
    m_usesService = false;
    m_inUse.clear();
    void* found = m_inner.Open(name);
    if (!found) return nullptr;
    const std::string path = LoadedPath(found);
    m_inUse = "access library " + (path.empty() ? name : path);
    if (path.empty()) return found;

    // An installed program loads the simulator through a link in the user's
    // directory; the client build sits beside the library the link names.
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(path, ec);
    if (ec) real = path;
    const std::string clientDirectory = real.parent_path().string() + "/" + kClientFolder;
    const std::string client = clientDirectory + "/" + std::filesystem::path(name).filename().string();
    if (::access(client.c_str(), R_OK) != 0) return found;
    const std::string socket = CClientSettings::SocketPath(clientDirectory);
    const CAnswer answer = m_probe(socket);
    if (!answer.serves) return found;
    // By its full path: a derived loader may search its own folder only.
    void* service = m_inner.CDlLibraryLoader::Open(client);
    if (!service) return found;
    m_inner.Close(found);
    m_usesService = true;
    m_inUse = (answer.readOnly ? "read-only through the chip service at " : "chip service at ") + socket;
    return service;
}
