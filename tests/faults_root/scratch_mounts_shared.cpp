// The loop images, tmpfs and sshfs mounts of the real-kernel tests, built into this program
// too, so that both make and sweep their scratch file systems the same way.
#include "linux_root/scratch_mounts.cpp"
