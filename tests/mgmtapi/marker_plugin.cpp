// A plug-in that names itself: every slot but connect returns its marker,
// so a status shows which copy served the call, and its constructor appends
// the marker to a file, so a test sees whether the file's code ever ran.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "trvns_mgmt.h"

#ifndef TEST_MARKER
#error "TEST_MARKER must number the plug-in copy"
#endif

namespace {

constexpr char kConstructedFile[] = "/opt/brenvik/marker-plugins-constructed";

__attribute__((constructor)) void noteConstruction() {
    int fd = open(kConstructedFile, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string line = std::to_string(TEST_MARKER) + "\n";
    ssize_t ignored = write(fd, line.data(), line.size());
    (void)ignored;
    close(fd);
}

int32_t connectSlot(trvns_clientConfig *) { return 0; }
int32_t disconnectSlot() { return TEST_MARKER; }
int32_t pathSlot(uint32_t, const char *, void *) { return TEST_MARKER; }
int32_t listAllSlot(const char *, int32_t, int32_t, void *) { return TEST_MARKER; }
int32_t junctionSlot(uint32_t, const char *, const char *, const char *, const char *, const char *, const char *,
                     uint32_t) {
    return TEST_MARKER;
}
int32_t optionsSlot(uint32_t, const char *, uint32_t) { return TEST_MARKER; }
int32_t renameSlot(uint32_t, const char *, const char *, uint32_t) { return TEST_MARKER; }
int32_t trusteeSlot(uint32_t, const char *, trvns_trustee *, uint32_t) { return TEST_MARKER; }
int32_t trusteeListSlot(uint32_t, const char *, trvns_trustee_list *, uint32_t) { return TEST_MARKER; }
int32_t targetSlot(uint32_t, const char *, trvns_target_list *, uint32_t) { return TEST_MARKER; }
int32_t getNamespacesSlot(trvns_getNamespaces_input *, trvns_namespace_list *) { return TEST_MARKER; }
int32_t setCifsSlot(trvns_setNSCifsAttr_input *, trvns_cifs_attr *) { return TEST_MARKER; }
int32_t getCifsSlot(trvns_getNSCifsAttr_input *, trvns_cifs_attr *) { return TEST_MARKER; }
int32_t createNamespaceSlot(trvns_createNamespace_input *) { return TEST_MARKER; }
int32_t deleteNamespaceSlot(trvns_deleteNamespace_input *) { return TEST_MARKER; }
int32_t purgeNamespaceSlot(trvns_purgeNamespace_input *) { return TEST_MARKER; }
int32_t salvageNamespaceSlot(trvns_salvageNamespace_input *) { return TEST_MARKER; }
int32_t addVolumeSlot(trvns_addVolumeEntry_input *) { return TEST_MARKER; }
int32_t modifyVolumeSlot(trvns_modifyVolumeEntry_input *) { return TEST_MARKER; }
int32_t removeVolumeSlot(trvns_removeVolumeEntry_input *) { return TEST_MARKER; }
int32_t initServiceSlot(trvns_initService_input *, trvns_initService_output *) { return TEST_MARKER; }

trvns_mgmtPluginOps kOps = {
    connectSlot,  disconnectSlot,  pathSlot,          pathSlot,          listAllSlot,         junctionSlot,
    optionsSlot,  optionsSlot,     renameSlot,        trusteeSlot,       trusteeSlot,         trusteeListSlot,
    targetSlot,   trusteeSlot,     trusteeSlot,       renameSlot,        getNamespacesSlot,   setCifsSlot,
    getCifsSlot,  createNamespaceSlot, deleteNamespaceSlot, purgeNamespaceSlot, salvageNamespaceSlot,
    addVolumeSlot, modifyVolumeSlot, removeVolumeSlot, initServiceSlot,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) trvns_mgmtPluginOps *getMgmtPluginOps() { return &kOps; }
