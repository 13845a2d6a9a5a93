// ClearProtectedStorage: the browser keeps form-completion data under the
// protected-storage provider's key of each user. On the NT line that key is
// locked down (only the system may touch it), so the user's own access is
// granted first and the key deleted; the access lists the operation changed
// on the way are put back as they were.
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "cleaner/privacy_traces.h"
#include "framework/raii.h"
#include "framework/system_objects.h"

namespace {

const char kProvider[] = "Software\\Microsoft\\Protected Storage System Provider\\";
const char kFormData[] = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
// The rights granted while clearing: full key access, inherited by subkeys
// and objects.
constexpr DWORD kFullKeyAccess = 0xF003F;
constexpr BYTE kInheritedBySubkeysAndObjects = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

bool IsNtLine() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// "S-1-<authority>-<sub>-<sub>...": the authority is the last byte of the
// identifier authority, as the provider names its keys.
std::string SidText(PSID sid) {
  std::string text = "S-1-" + std::to_string(GetSidIdentifierAuthority(sid)->Value[5]);
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  for (UCHAR i = 0; i < count; ++i) text += "-" + std::to_string(*GetSidSubAuthority(sid, i));
  return text;
}

// A key's discretionary access list, saved to be put back.
class SavedAccessList {
 public:
  // False when the key will not open or its list cannot be read: then
  // Restore does nothing (writing back a list never read would open the key
  // to everyone).
  bool Save(const std::string& path) {
    path_ = path;
    descriptor_.clear();
    fw::KeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL, key.Put()) !=
        ERROR_SUCCESS)
      return false;
    DWORD size = 0;
    if (RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size) !=
            ERROR_INSUFFICIENT_BUFFER ||
        size == 0)
      return false;
    std::vector<BYTE> descriptor(size);
    if (RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) !=
        ERROR_SUCCESS)
      return false;
    descriptor_ = std::move(descriptor);
    return true;
  }

  void Restore() const {
    if (descriptor_.empty()) return;
    fw::KeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, WRITE_DAC, key.Put()) != ERROR_SUCCESS)
      return;
    RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION,
                      const_cast<BYTE*>(descriptor_.data()));
  }

 private:
  std::string path_;
  std::vector<BYTE> descriptor_;
};

// A security descriptor whose list grants full access, inherited, to the
// user and then to the local system account.
class GrantingDescriptor {
 public:
  explicit GrantingDescriptor(PSID user) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                  &system_))
      return;
    const DWORD aceSize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
    acl_.resize(sizeof(ACL) + 2 * aceSize + GetLengthSid(user) + GetLengthSid(system_));
    ACL* acl = reinterpret_cast<ACL*>(acl_.data());
    // The ...Ex call that takes the entry flags is missing before Windows
    // 2000: the flags are set on the added entries instead.
    if (!InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, kFullKeyAccess, user) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, kFullKeyAccess, system_))
      return;
    for (DWORD i = 0; i < 2; ++i) {
      void* ace = nullptr;
      if (!GetAce(acl, i, &ace)) return;
      static_cast<ACE_HEADER*>(ace)->AceFlags = kInheritedBySubkeysAndObjects;
    }
    ready_ = InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
             SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
  }
  ~GrantingDescriptor() {
    if (system_) FreeSid(system_);
  }
  GrantingDescriptor(const GrantingDescriptor&) = delete;
  GrantingDescriptor& operator=(const GrantingDescriptor&) = delete;

  bool Ready() const { return ready_; }

  // Applies the list to HKCU path; false when the key will not take it.
  bool ApplyTo(const std::string& path) {
    fw::KeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.Put()) != ERROR_SUCCESS)
      return false;
    return RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &descriptor_) ==
           ERROR_SUCCESS;
  }

  // Applies the list to HKCU path and to every key below it, parents first
  // (a parent's new list lets the user list its subkeys).
  void ApplyToTree(const std::string& path) {
    ApplyTo(path);
    std::vector<std::string> subkeys;
    {
      fw::KeyHandle key;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.Put()) !=
          ERROR_SUCCESS)
        return;
      char name[261];
      for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
          break;
        subkeys.emplace_back(name, length);
      }
    }
    for (const std::string& subkey : subkeys) ApplyToTree(path + "\\" + subkey);
  }

 private:
  PSID system_ = nullptr;
  std::vector<BYTE> acl_;
  SECURITY_DESCRIPTOR descriptor_ = {};
  bool ready_ = false;
};

// The user's form data under HKCU, on the NT line.
void ClearUserFormData() {
  std::vector<BYTE> user = fw::ProcessUserSid(GetCurrentProcess());
  // Without the user's name for it the provider's key itself would be
  // cleared: nothing is done.
  if (user.empty()) return;
  PSID sid = user.data();
  const std::string key = kProvider + SidText(sid);
  const std::string data = key + "\\Data";
  const std::string formData = key + kFormData;

  SavedAccessList keyList, dataList;
  keyList.Save(key);
  dataList.Save(data);
  GrantingDescriptor granting(sid);
  if (granting.Ready()) {
    granting.ApplyTo(key);
    granting.ApplyTo(data);
    granting.ApplyToTree(formData);
    SHDeleteKeyA(HKEY_CURRENT_USER, formData.c_str());
  }
  // The deeper key first: the outer key's own list may keep the user out.
  dataList.Restore();
  keyList.Restore();
}

}  // namespace

void ClearProtectedStorage() {
  if (IsNtLine()) ClearUserFormData();
  // Every platform: the key named by the logon name under HKLM.
  char name[260] = {};
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size) || name[0] == '\0') return;
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, (kProvider + std::string(name) + kFormData).c_str());
}
