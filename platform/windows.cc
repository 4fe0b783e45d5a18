#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"

// Paths are UTF-8 inside quillfix and UTF-16 for Windows. The sorted code
// comes with CR LF line ends already, and is written as it is.

const bool kCrLfLineEnds = true;

namespace {

const DWORD kChunk = 1 << 30;

// A reply typed at the prompt may come in the console's code page rather
// than UTF-8; it is read as UTF-8 when it is valid UTF-8.
std::wstring widen(const std::string& text) {
  for (UINT page : {CP_UTF8, CP_ACP}) {
    DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int size = static_cast<int>(text.size());
    int length =
        MultiByteToWideChar(page, flags, text.data(), size, nullptr, 0);
    if (length <= 0) continue;
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(page, flags, text.data(), size, &wide[0], length);
    return wide;
  }
  return L"";
}

std::string narrow(const wchar_t* wide) {
  int length =
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return "";
  std::string text(length - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], length, nullptr, nullptr);
  return text;
}

bool writeAll(HANDLE file, std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD part =
        static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, part, &written, nullptr) ||
        written == 0)
      return false;
    done += written;
  }
  return true;
}

bool writeFile(const std::wstring& path, DWORD disposition,
               std::string_view bytes, bool flush) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool done = writeAll(file, bytes) && (!flush || FlushFileBuffers(file));
  return CloseHandle(file) && done;
}

std::wstring directoryOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  return path.substr(0, slash + 1);
}

// For a file in a folder that refuses new files. It is grown to its new size
// first, so that a full disk fails before the old text is touched.
bool overwriteInPlace(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  LARGE_INTEGER newSize = {};
  LARGE_INTEGER start = {};
  newSize.QuadPart = static_cast<LONGLONG>(bytes.size());
  bool done = GetFileSizeEx(file, &size);
  if (done && newSize.QuadPart > size.QuadPart)
    done = SetFilePointerEx(file, newSize, nullptr, FILE_BEGIN) &&
           SetEndOfFile(file);
  done = done && SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
         writeAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
  return CloseHandle(file) && done;
}

bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file =
      CreateFileW(widen(path).c_str(), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return known;
}

// True for a target that is not a file on a disk, such as NUL or a pipe.
bool isDevice(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool device = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return device;
}

}  // namespace

ReadResult readWholeFile(const std::string& path, Bytes* bytes) {
  if (path.find('\0') != std::string::npos) return ReadResult::kOpenFailed;
  HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadResult::kOpenFailed;
  LARGE_INTEGER size = {};
  bool onDisk =
      GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
  bytes->resize(onDisk ? size.QuadPart + 1 : 1 << 16);
  size_t used = 0;
  for (;;) {
    if (used == bytes->size()) bytes->resize(bytes->size() * 2);
    DWORD part =
        static_cast<DWORD>(std::min<size_t>(kChunk, bytes->size() - used));
    DWORD got = 0;
    if (!ReadFile(file, bytes->data() + used, part, &got, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) break;
      CloseHandle(file);
      return ReadResult::kReadFailed;
    }
    if (got == 0) break;
    used += got;
  }
  CloseHandle(file);
  bytes->resize(used);
  return ReadResult::kOk;
}

bool replaceFile(const std::string& path, std::string_view text) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  std::wstring target = widen(path);
  if (isDevice(target)) return writeFile(target, OPEN_EXISTING, text, false);
  DWORD attributes = GetFileAttributesW(target.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  wchar_t temporary[MAX_PATH + 1];
  if (!GetTempFileNameW(directoryOf(target).c_str(), L"qfx", 0, temporary))
    return exists && GetLastError() == ERROR_ACCESS_DENIED &&
           overwriteInPlace(target, text);
  bool done = writeFile(temporary, TRUNCATE_EXISTING, text, true);
  if (done && exists) SetFileAttributesW(temporary, attributes);
  done =
      done && MoveFileExW(temporary, target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!done) DeleteFileW(temporary);
  return done;
}

bool writeSortedOutput(std::string_view bytes) {
  std::fflush(stdout);
  int mode = _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  bool done = std::fflush(stdout) == 0 && !std::ferror(stdout);
  if (mode != -1) _setmode(_fileno(stdout), mode);
  return done;
}

bool isSameFile(const std::string& path, const std::string& other) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  return identify(path, &first) && identify(other, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

std::vector<std::string> commandLine(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int k = 0; wide && k < count; ++k) arguments.push_back(narrow(wide[k]));
  LocalFree(wide);
  return arguments;
}
