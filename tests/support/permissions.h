#pragma once
// Permission bits that hold for the calling thread even when it runs as root.
#include <linux/capability.h>

namespace cwtest {

// The capabilities that bypass permission bits are taken out of the thread's effective set for the
// object's lifetime. works() tells whether the bits now apply: always for an ordinary user, and for
// root once the capabilities are dropped.
class PermissionBitsApply {
  public:
    PermissionBitsApply();
    ~PermissionBitsApply();
    PermissionBitsApply(const PermissionBitsApply&) = delete;
    PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;
    bool works() const { return works_; }

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool works_ = false;
    bool dropped_ = false;
};

} // namespace cwtest
