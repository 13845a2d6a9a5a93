// The internet optimizer's own registry key class: one key of a fixed root,
// opened or created (volatile) by path, with the few reads and writes the
// optimizer needs. Every call keeps its result for the caller to look at.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class RegistryIE {
 public:
  explicit RegistryIE(HKEY root) : root_(root) {}
  ~RegistryIE() { Close(); }
  RegistryIE(const RegistryIE&) = delete;
  RegistryIE& operator=(const RegistryIE&) = delete;

  // Opens root\path with full access, closing the key open before.
  bool Open(const std::string& path);
  // Creates root\path with full access as a volatile key, so that what the
  // optimizer adds does not outlive the next restart; an existing key is
  // simply opened.
  bool Create(const std::string& path);
  void Close();

  // Writes text as REG_SZ (its length plus the terminating byte).
  bool SetString(const std::string& name, const std::string& text);
  // Writes value as REG_DWORD.
  bool SetDword(const std::string& name, DWORD value);
  // Reads a string value into a 200-byte buffer; empty when it cannot be
  // read or does not fit. Data stored without a terminator is cut at its end.
  std::string GetString(const std::string& name);

  // The names of the subkeys of the open key's subkey, in enumeration order,
  // each read into a 200-byte buffer. A subkey that cannot be opened gives
  // an empty list. An enumeration that fails other than by running out of
  // names stops there and reports the error in an information box.
  bool EnumSubkeys(const std::string& subkey, std::vector<std::string>& names);

  LONG LastStatus() const { return status_; }
  DWORD LastType() const { return type_; }
  DWORD LastSize() const { return size_; }
  HKEY Handle() const { return key_; }
  const std::string& Path() const { return path_; }

 private:
  HKEY root_;
  HKEY key_ = nullptr;
  std::string path_;
  LONG status_ = ERROR_SUCCESS;
  DWORD type_ = 0;
  DWORD size_ = 0;
};
