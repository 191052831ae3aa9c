#include "platform/CAccessPathLoader.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>

#include "platform/CSystemAccessProbes.h"

namespace {

// The directory of a loaded library, from the dynamic loader itself, with
// links resolved: an installed program loads the simulator through a link in
// the user's directory, and the other builds sit beside the library it names.
std::string LoadedDirectory(void* handle) {
    link_map* map = nullptr;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || !*map->l_name) return {};
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(map->l_name, error);
    if (error) path = map->l_name;
    return path.parent_path().string();
}

}  // namespace

CAccessPathLoader::~CAccessPathLoader() {
    if (m_located) m_inner.Close(m_located);
}

const CAccessPathChooser::CChoice& CAccessPathLoader::Prepare(const std::string& name) {
    if (m_prepared) return m_choice;
    m_prepared = true;
    m_located = m_inner.Open(name);
    if (m_located) m_libraryDirectory = LoadedDirectory(m_located);
    if (m_libraryDirectory.empty()) {
        m_choice = {};
        m_choice.ok = true;
        return m_choice;
    }
    const std::unique_ptr<IAccessProbes> probes = m_probes(m_libraryDirectory);
    m_choice = CAccessPathChooser::Choose(m_wanted, *probes);
    if (m_choice.ok && m_choice.path == AccessPath::kSimulator) {
        m_choice.description += " " + m_libraryDirectory + "/" + std::filesystem::path(name).filename().string();
    }
    if (m_observer) m_observer(m_choice);
    return m_choice;
}

void* CAccessPathLoader::Open(const std::string& name) {
    Prepare(name);
    if (!m_choice.ok) return nullptr;
    if (m_choice.path == AccessPath::kSimulator || m_libraryDirectory.empty()) {
        void* handle = m_located;
        m_located = nullptr;
        // A second Open (the engine started again) finds the library anew.
        return handle ? handle : m_inner.Open(name);
    }
    if (m_located) {
        m_inner.Close(m_located);
        m_located = nullptr;
    }
    // By its full path: a derived loader may search its own folder only.
    return m_inner.CDlLibraryLoader::Open(CSystemAccessProbes::BuildPath(m_libraryDirectory, m_choice.path));
}
