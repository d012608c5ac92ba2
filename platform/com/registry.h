// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_REGISTRY_H_
#define PLATFORM_COM_REGISTRY_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/guid.h"

// Threads: the apartment thread only; the store has no lock (its file is replaced atomically for other
// processes, not other threads).

namespace com {

// A hierarchical store of string values under keys, where the runtime finds
// its classes: `CLSID\{guid}\InprocServer32` (default value: the server's
// path), `Nimbo.clsVexoPlugIn\CLSID`, `TypeLib\{guid}\1.0` ... Key paths are
// separated by backslashes; keys and value names compare without regard to
// ASCII case and keep the spelling they were created with. The value name ""
// is a key's default value. Setting a value creates its key and all parents.
//
// The store lives in a text file, read on first use and rewritten atomically
// (temporary file, then rename) after each change, and only then: setting a
// value to what it is already writes nothing. A change that cannot be
// written is not kept. Failures are run-time errors: 321 for a corrupt file
// (naming the file and line; the store then stays unread, so the file is
// never overwritten), 75 when the file cannot be read or written, 5 for a
// malformed key path.
class Registry {
public:
    // Kept at defaultLocation(), resolved on first use.
    Registry() = default;
    explicit Registry(std::string path) : m_location(std::move(path)) {}

    // Moves the store to the file at path; what was read is forgotten and the
    // next access reads that file.
    void setLocation(std::string path);
    std::string location() const;
    // Read-only, the file is read but never written: changes last as long as
    // this store does. For a look at a server that must leave no trace.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // $NIMBO_REGISTRY, else $XDG_DATA_HOME/nimbo-lux/registry.txt, else
    // ~/.local/share/nimbo-lux/registry.txt.
    static std::string defaultLocation();

    void setValue(std::string_view key, std::string_view name, std::string_view value);
    std::optional<std::string> value(std::string_view key, std::string_view name = {}) const;
    // True when a value was removed.
    bool deleteValue(std::string_view key, std::string_view name);
    void createKey(std::string_view key);
    // Removes the key with its values and all its subkeys; true when it existed.
    bool deleteKey(std::string_view key);
    // The empty path is the root, which always exists.
    bool keyExists(std::string_view key) const;
    // The names of the direct subkeys of key ("" for the top level), sorted without regard to case.
    std::vector<std::string> enumerate(std::string_view key) const;
    std::vector<std::string> valueNames(std::string_view key) const;

private:
    struct Key {
        std::string path;                                                   // as first spelled
        std::map<std::string, std::pair<std::string, std::string>> values;  // folded name -> (name, value)
    };
    using Keys = std::map<std::string, Key>;  // by folded path

    const Keys& keys() const;
    // Writes changed to the file, then keeps it.
    void commit(Keys changed);
    static void addKey(Keys& keys, const std::string& path);

    std::string m_location;  // empty: defaultLocation()
    mutable std::optional<Keys> m_keys;
    bool m_readOnly = false;
};

// The process-wide registry, which class creation reads and servers'
// DllRegisterServer write. Owned by the runtime.
Registry& registry();

// The entries of one creatable class of an in-process server.
struct ClassRegistration {
    CLSID clsid;
    std::string progId;       // "Project.Class"
    std::string description;  // default value of the class and ProgID keys
    std::string serverPath;   // the shared library
    std::optional<GUID> typeLib;
};

// Writes CLSID\{clsid} (InprocServer32, ThreadingModel "Apartment", ProgID,
// TypeLib) and <progId>\CLSID into registry().
void writeClassRegistration(const ClassRegistration& registration);
// Removes the keys that writeClassRegistration wrote.
void removeClassRegistration(const CLSID& clsid, std::string_view progId);
// Writes TypeLib\{libid}\<version> (default: helpString) with 0\linux64 = path and HELPDIR.
void writeTypeLibRegistration(const GUID& libid, std::string_view version, std::string_view helpString,
                              std::string_view path);
void removeTypeLibRegistration(const GUID& libid);
// The file whose type library the registration of libid and version names
// (without the resource number a Windows path may end in); empty when the
// library is not registered.
std::string typeLibRegistrationPath(const GUID& libid, std::string_view version);

}  // namespace com

#endif  // PLATFORM_COM_REGISTRY_H_
