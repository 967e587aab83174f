// The desktop's counterparts of the shell dialogs, reached over the session bus: the desktop
// portal's application chooser, and the file manager's properties sheet.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "shell/file_uri.h"
#include "shell/gio_api_linux.h"
#include "shell/session_bus_linux.h"
#include "shell/shell_dialogs.h"
#include "text/utf_convert.h"

namespace spellchecker {
namespace {

constexpr char kPortalName[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kOpenUriInterface[] = "org.freedesktop.portal.OpenURI";
constexpr char kFileManagerName[] = "org.freedesktop.FileManager1";
constexpr char kFileManagerPath[] = "/org/freedesktop/FileManager1";
constexpr char kFileManagerInterface[] = "org.freedesktop.FileManager1";

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string CurrentDirectory() {
  std::string buffer(256, '\0');
  while (getcwd(&buffer[0], buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

}  // namespace

// Without GIO there is no desktop to ask: both calls then do nothing at all.
void ShowOpenWithDialog(const std::u16string& path) {
  if (OpenGio() == nullptr) return;
  const std::string native_path = Utf16ToUtf8(path);
  if (native_path.empty()) return;
  // The portal takes the file itself rather than its name, so the chooser opens the very file
  // named here. O_PATH needs no read permission and leaves the file's access times alone.
  FileDescriptor file(open(native_path.c_str(), O_PATH | O_CLOEXEC));
  if (file.get() < 0) return;
  ObjectPtr<GUnixFDList> fds(Gio().unix_fd_list_new());
  const gint handle = Gio().unix_fd_list_append(fds.get(), file.get(), nullptr);
  if (handle < 0) return;

  GVariantBuilder options;
  Gio().variant_builder_init(&options, reinterpret_cast<const GVariantType*>("a{sv}"));
  Gio().variant_builder_add(&options, "{sv}", "ask", Gio().variant_new_boolean(TRUE));
  CallSessionBusMethod({kPortalName, kPortalPath, kOpenUriInterface, "OpenFile",
                        Gio().variant_new("(sha{sv})", "", handle, &options), fds.get()});
}

void ShowPropertiesDialog(const std::u16string& path) {
  if (OpenGio() == nullptr) return;
  const std::string native_path = Utf16ToUtf8(path);
  if (native_path.empty()) return;
  std::string base_dir;
  if (native_path[0] != '/') {
    base_dir = CurrentDirectory();
    if (base_dir.empty()) return;
  }
  const std::string uri = FileUri(native_path, base_dir);
  const gchar* const uris[] = {uri.c_str(), nullptr};
  CallSessionBusMethod({kFileManagerName, kFileManagerPath, kFileManagerInterface,
                        "ShowItemProperties", Gio().variant_new("(^ass)", uris, ""), nullptr});
}

}  // namespace spellchecker
