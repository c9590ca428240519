// The program's manifest and version resource, read from the built executable.
#include <gtest/gtest.h>

#include "harness.h"
#include "version.h"

using namespace harness;

namespace {

std::string AppExe() { return Join(Join(TestDir(), "app"), "MHToolkit.exe"); }

// The application manifest (RT_MANIFEST 1) of the program, or an empty text.
std::string Manifest() {
    HMODULE exe = ::LoadLibraryExA(AppExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!exe) return std::string();
    std::string text;
    if (HRSRC info = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        HGLOBAL data = ::LoadResource(exe, info);
        if (const char* bytes = data ? static_cast<const char*>(::LockResource(data)) : nullptr)
            text.assign(bytes, ::SizeofResource(exe, info));
    }
    ::FreeLibrary(exe);
    return text;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ProgramResources, ManifestAsksForThemedControlsNewerSystemsAndDpiAwarenessButNoExecutionLevel) {
    const std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty()) << "no manifest in " << AppExe();
    // An execution level (even asInvoker) switches off the registry virtualization that keeps the
    // program on the same values as the games.
    EXPECT_FALSE(Contains(manifest, "requestedExecutionLevel"));
    EXPECT_FALSE(Contains(manifest, "requestedPrivileges"));
    EXPECT_TRUE(Contains(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    const struct {
        const char* system;
        const char* id;
    } systems[] = {{"Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},
                   {"7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
                   {"8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
                   {"8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
                   {"10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}};
    for (const auto& system : systems)
        EXPECT_TRUE(Contains(manifest, std::string("<supportedOS Id=\"") + system.id + "\"/>")) << system.system;
    EXPECT_TRUE(Contains(manifest, ">true</dpiAware>"));
}

class VersionInfo {
public:
    explicit VersionInfo(const std::string& file) {
        DWORD ignored = 0;
        data_.resize(::GetFileVersionInfoSizeA(file.c_str(), &ignored));
        if (data_.empty() || !::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(data_.size()), &data_[0]))
            data_.clear();
    }
    bool Present() const { return !data_.empty(); }
    std::string Text(const std::string& name) const {
        void* value = nullptr;
        UINT length = 0;
        const std::string path = "\\StringFileInfo\\040904b0\\" + name;
        if (data_.empty() || !::VerQueryValueA(data_.data(), path.c_str(), &value, &length) || !length)
            return "<missing>";
        return std::string(static_cast<const char*>(value), length - 1);
    }
    VS_FIXEDFILEINFO Fixed() const {
        void* value = nullptr;
        UINT length = 0;
        VS_FIXEDFILEINFO fixed{};
        if (!data_.empty() && ::VerQueryValueA(data_.data(), "\\", &value, &length) && length >= sizeof fixed)
            fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
        return fixed;
    }

private:
    std::vector<char> data_;
};

TEST(ProgramResources, VersionResourceNamesTheProgramAndTheBuildsVersion) {
    const VersionInfo info(AppExe());
    ASSERT_TRUE(info.Present());
    const struct {
        const char* name;
        std::string value;
    } fields[] = {{"ProductName", "MH Toolkit"},       {"InternalName", "MHToolkit"},
                  {"OriginalFilename", "MHToolkit.exe"}, {"CompanyName", "MH Toolkit contributors"},
                  {"FileVersion", MHT_VERSION_TEXT},    {"ProductVersion", MHT_VERSION_TEXT}};
    for (const auto& field : fields) EXPECT_EQ(info.Text(field.name), field.value) << field.name;
    EXPECT_TRUE(Contains(info.Text("FileDescription"), "MH Toolkit")) << info.Text("FileDescription");
    EXPECT_TRUE(Contains(info.Text("LegalCopyright"), "MH Toolkit contributors")) << info.Text("LegalCopyright");
    // The main window says "v 1.1": the release is a 1.1.x.
    EXPECT_EQ(std::string(MHT_VERSION_TEXT).rfind("1.1.", 0), 0u) << MHT_VERSION_TEXT;

    const VS_FIXEDFILEINFO fixed = info.Fixed();
    const unsigned fields4[] = {MHT_VERSION_FIELDS};
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(fields4[1], fields4[0]));
    EXPECT_EQ(fixed.dwFileVersionLS, MAKELONG(fields4[3], fields4[2]));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace
