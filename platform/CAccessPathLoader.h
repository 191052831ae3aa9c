// The programs' library loader: finds the simulator build of the access
// library as the inner loader would (beside the program directory's files,
// else on the executable's RUNPATH), chooses the access path
// (CAccessPathChooser) with probes that look beside that library, and opens
// the chosen build: the simulator itself, or client/, hwmon/ or portio/
// beside it. The designed chip lock stays around every transfer whatever the
// path: it is the engine's.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/CAccessPathChooser.h"
#include "platform/CDlLibraryLoader.h"

class CAccessPathLoader : public ILibraryLoader {
public:
    // The probes of the machine for the simulator build's directory.
    using ProbeFactory = std::function<std::unique_ptr<IAccessProbes>(const std::string& libraryDirectory)>;

    // Told once, when the choice is made (a program shows a failed choice or
    // a passed-over service before the engine reports the missing library).
    using ChoiceObserver = std::function<void(const CAccessPathChooser::CChoice&)>;

    CAccessPathLoader(CDlLibraryLoader& inner, AccessPath wanted, ProbeFactory probes, ChoiceObserver observer = {})
        : m_inner(inner), m_wanted(wanted), m_probes(std::move(probes)), m_observer(std::move(observer)) {}
    ~CAccessPathLoader() override;

    // Chooses the path once, before the engine opens the library, so that a
    // program can stop with the reason before anything else starts. A
    // simulator build that cannot be found leaves the choice ok with an empty
    // description, and the engine reports the missing library as it always
    // has.
    const CAccessPathChooser::CChoice& Prepare(const std::string& name);
    const CAccessPathChooser::CChoice& Choice() const { return m_choice; }

    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override { return m_inner.Symbol(handle, name); }
    void Close(void* handle) override { m_inner.Close(handle); }

private:
    CDlLibraryLoader& m_inner;
    AccessPath m_wanted;
    ProbeFactory m_probes;
    ChoiceObserver m_observer;
    bool m_prepared = false;
    CAccessPathChooser::CChoice m_choice;
    std::string m_libraryDirectory;
    // The simulator build opened to find its directory, until Open hands it
    // over or another build takes its place.
    void* m_located = nullptr;
};
