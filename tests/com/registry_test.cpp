// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/com/runtimeerror.h"
#include "tests/support/casename.h"

namespace {

using namespace com;
namespace fs = std::filesystem;

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nimbo-registry-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory = pattern;
        file = (directory / "sub" / "registry.txt").string();
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string read() const {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void write(const std::string& text) const {
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file) << text;
    }
    int errorNumberOf(const std::function<void()>& body, std::string* description = nullptr) const {
        try {
            body();
        } catch (const RuntimeError& error) {
            if (description) *description = error.description();
            return error.number();
        }
        return 0;
    }

    fs::path directory;
    std::string file;
};

struct RoundTripCase {
    const char* name;
    std::string key, valueName, value;
};

class RegistryRoundTrip : public RegistryTest, public testing::WithParamInterface<RoundTripCase> {};

TEST_P(RegistryRoundTrip, ValueSurvivesTheFile) {
    const RoundTripCase& c = GetParam();
    {
        Registry store(file);
        store.setValue(c.key, c.valueName, c.value);
    }
    Registry reread(file);
    EXPECT_EQ(reread.value(c.key, c.valueName), c.value);
    EXPECT_TRUE(reread.keyExists(c.key));
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryRoundTrip,
    testing::Values(RoundTripCase{"ServerPath",
                                  "CLSID\\{0b7d3c55-6a1e-4f0c-8d2a-5e9f1c3b7a02}\\InprocServer32", "",
                                  "/opt/nimbo lux/Nimbolux.so"},
                    RoundTripCase{"NamedValue", "CLSID\\{x}\\InprocServer32", "ThreadingModel", "Apartment"},
                    RoundTripCase{"ControlCharacters", "Odd\\Key", "tab\tname", "line1\nline2\r\tend"},
                    RoundTripCase{"PercentAndBackslash", "Odd", "%41", "C:\\path\\100%"},
                    RoundTripCase{"EmptyValue", "Empty", "", ""},
                    RoundTripCase{"Utf8", "Farben\\gr\xC3\xBCn", "Name", "\xE2\x80\x9Cweiss\xE2\x80\x9D"}),
    [](const auto& info) { return info.param.name; });

TEST_F(RegistryTest, KeysAndNamesIgnoreCaseButKeepTheirSpelling) {
    Registry store(file);
    store.setValue("Nimbo.clsVexoPlugIn\\CLSID", "", "{guid}");
    EXPECT_EQ(store.value("NIMBO.CLSVEXOPLUGIN\\clsid"), "{guid}");
    store.setValue("nimbo.clsvexoplugin", "Note", "a");
    store.setValue("NIMBO.clsVexoPlugIn", "NOTE", "b");
    EXPECT_EQ(store.valueNames("Nimbo.clsVexoPlugIn"), std::vector<std::string>{"NOTE"});
    EXPECT_EQ(store.value("Nimbo.clsVexoPlugIn", "note"), "b");
    EXPECT_EQ(store.enumerate(""), std::vector<std::string>{"Nimbo.clsVexoPlugIn"});
    EXPECT_EQ(store.enumerate("nimbo.clsvexoplugin"), std::vector<std::string>{"CLSID"});
    // Leading and trailing separators do not matter.
    EXPECT_TRUE(store.keyExists("\\Nimbo.clsVexoPlugIn\\CLSID\\"));
}

TEST_F(RegistryTest, DeleteKeyTakesSubkeysButNotSiblingsWithTheSamePrefix) {
    Registry store(file);
    store.setValue("TypeLib\\{a}\\1.0\\0\\linux64", "", "/x.so");
    store.setValue("TypeLib\\{a}\\1.0", "", "Coloring Nimbos");
    store.setValue("TypeLib\\{a}b", "", "sibling");
    EXPECT_TRUE(store.deleteKey("typelib\\{A}"));
    EXPECT_FALSE(store.keyExists("TypeLib\\{a}\\1.0\\0"));
    EXPECT_FALSE(store.deleteKey("TypeLib\\{a}"));
    EXPECT_EQ(Registry(file).value("TypeLib\\{a}b"), "sibling");
    EXPECT_EQ(Registry(file).enumerate("TypeLib"), std::vector<std::string>{"{a}b"});
    EXPECT_TRUE(store.deleteValue("TypeLib\\{a}b", ""));
    EXPECT_FALSE(store.deleteValue("TypeLib\\{a}b", ""));
    EXPECT_TRUE(Registry(file).keyExists("TypeLib\\{a}b"));
}

TEST_F(RegistryTest, MissingFileIsAnEmptyStoreAndMalformedKeysAreRefused) {
    Registry store(file);
    EXPECT_FALSE(store.value("CLSID\\{x}\\InprocServer32"));
    EXPECT_TRUE(store.keyExists(""));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(errorNumberOf([&] { store.setValue("CLSID\\\\x", "", "v"); }), kErrInvalidCall);
    EXPECT_EQ(errorNumberOf([&] { store.setValue("", "", "v"); }), kErrInvalidCall);
    EXPECT_EQ(errorNumberOf([&] { store.deleteKey("\\"); }), kErrInvalidCall);
}

TEST_F(RegistryTest, WritesReplaceTheFileWholeAndLeaveNoTemporary) {
    Registry store(file);
    store.setValue("A", "", "1");
    store.setValue("B", "", "2");
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(file).parent_path()), fs::directory_iterator()),
              1);
    EXPECT_EQ(read(), "nimbo-registry 1\nK\tA\nV\tA\t\t1\nK\tB\nV\tB\t\t2\n");
}

TEST_F(RegistryTest, ChangeThatCannotBeWrittenIsNotKeptAndNoChangeIsNotWritten) {
    write("nimbo-registry 1\nV\tA\t\t1\n");
    Registry store(file);
    ASSERT_EQ(store.value("A"), "1");
    // A folder in the place of the temporary file makes the write fail, whatever the rights.
    const std::string temporary = file + ".tmp." + std::to_string(getpid());
    fs::create_directories(temporary);
    // Setting what is there already writes nothing, so it cannot fail.
    EXPECT_EQ(errorNumberOf([&] { store.setValue("a", "", "1"); }), 0);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { store.setValue("A", "", "2"); }, &description), kErrFileAccess);
    EXPECT_NE(description.find(file), std::string::npos);
    EXPECT_TRUE(fs::is_directory(temporary));
    EXPECT_EQ(store.value("A"), "1");
    EXPECT_EQ(Registry(file).value("A"), "1");
}

TEST_F(RegistryTest, ReadOnlyStoreChangesInMemoryAndNeverWrites) {
    const std::string text = "nimbo-registry 1\nK\tA\nV\tA\t\t1\n";
    write(text);
    Registry store(file);
    store.setReadOnly(true);
    store.setValue("A", "", "2");
    store.setValue("B", "", "3");
    EXPECT_EQ(store.value("A"), "2");
    EXPECT_EQ(store.value("B"), "3");
    EXPECT_EQ(read(), text);
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(file).parent_path()), fs::directory_iterator()),
              1);
}

std::string deepKey(int depth) {
    std::string key = "k";
    for (int n = 1; n < depth; ++n) key += "\\k";
    return key;
}

TEST_F(RegistryTest, RewriteKeepsTheModeAndWritesThroughALink) {
    write("nimbo-registry 1\nV\tA\t\t1\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    const std::string link = file + ".link";
    fs::create_symlink(file, link);
    Registry(link).setValue("A", "", "2");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Registry(file).value("A"), "2");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

struct CorruptCase {
    const char* name;
    std::string text;
    int line;
};

class RegistryCorrupt : public RegistryTest, public testing::WithParamInterface<CorruptCase> {};

TEST_P(RegistryCorrupt, NamesFileAndLineAndNeverOverwritesIt) {
    write(GetParam().text);
    Registry store(file);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { (void)store.value("A"); }, &description), kErrInvalidFileFormat);
    EXPECT_NE(description.find(file), std::string::npos) << description;
    EXPECT_NE(description.find("line " + std::to_string(GetParam().line)), std::string::npos) << description;
    // The store stays unread: a change fails too, and the file is untouched.
    EXPECT_EQ(errorNumberOf([&] { store.setValue("B", "", "x"); }), kErrInvalidFileFormat);
    EXPECT_EQ(read(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryCorrupt,
    testing::Values(CorruptCase{"NoHeader", "K\tA\n", 1},
                    CorruptCase{"UnknownTag", "nimbo-registry 1\nK\tA\nX\tA\n", 3},
                    CorruptCase{"MissingField", "nimbo-registry 1\nV\tA\tname\n", 2},
                    CorruptCase{"ExtraField", "nimbo-registry 1\nK\tA\tB\n", 2},
                    CorruptCase{"BadEscape", "nimbo-registry 1\n\nV\tA\t\t50%\n", 3},
                    CorruptCase{"BadHexEscape", "nimbo-registry 1\nV\tA\t\t%G1\n", 2},
                    CorruptCase{"EmptyKey", "nimbo-registry 1\nK\t\\\n", 2},
                    CorruptCase{"EmptyPart", "nimbo-registry 1\nK\tA\\\\B\n", 2},
                    // One line would create 10,000 keys, each with its full path.
                    CorruptCase{"TooDeep", "nimbo-registry 1\nK\t" + deepKey(10'000) + "\n", 2},
                    CorruptCase{"TooLong", "nimbo-registry 1\nV\t" + std::string(513, 'k') + "\tn\tv\n", 2},
                    CorruptCase{"TooLarge", "nimbo-registry 1\n" + std::string(1 << 20, '#') + "\n", 1}),
    [](const auto& info) { return info.param.name; });

struct LocationCase {
    const char* name;
    const char* registryVariable;
    const char* dataHome;
    const char* home;
    std::string expected;
};

class RegistryLocation : public testing::TestWithParam<LocationCase> {};

TEST_P(RegistryLocation, FollowsTheEnvironment) {
    const char* names[] = {"NIMBO_REGISTRY", "XDG_DATA_HOME", "HOME"};
    const LocationCase& c = GetParam();
    const char* values[] = {c.registryVariable, c.dataHome, c.home};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* old = std::getenv(names[i]);
        had[i] = old != nullptr;
        if (old) saved[i] = old;
        values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
    }
    EXPECT_EQ(Registry::defaultLocation(), c.expected);
    EXPECT_EQ(Registry().location(), c.expected);
    EXPECT_EQ(Registry("/chosen").location(), "/chosen");
    for (int i = 0; i < 3; ++i) had[i] ? setenv(names[i], saved[i].c_str(), 1) : unsetenv(names[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, RegistryLocation,
    testing::Values(LocationCase{"Override", "/tmp/r.txt", "/data", "/home/u", "/tmp/r.txt"},
                    LocationCase{"DataHome", nullptr, "/data", "/home/u", "/data/nimbo-lux/registry.txt"},
                    LocationCase{"EmptyOverride", "", "/data", "/home/u", "/data/nimbo-lux/registry.txt"},
                    LocationCase{"Home", nullptr, nullptr, "/home/u",
                                 "/home/u/.local/share/nimbo-lux/registry.txt"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
