#include "com_device_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

int SetLineWithRate(int fd, uint32_t iflag, uint32_t oflag, uint32_t cflag, uint32_t lflag,
                    const unsigned char* cc, size_t ccCount, uint32_t rate) {
  termios2 t{};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  t.c_iflag = iflag;
  t.c_oflag = oflag;
  t.c_lflag = lflag;
  // Input follows the output rate when CIBAUD is clear.
  t.c_cflag = (cflag & ~(CBAUD | CIBAUD)) | BOTHER;
  std::copy_n(cc, std::min<size_t>(ccCount, NCCS), t.c_cc);
  t.c_ispeed = rate;
  t.c_ospeed = rate;
  if (::ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

int ReadLineRate(int fd, uint32_t* rate) {
  termios2 t{};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  *rate = t.c_ospeed;
  return 0;
}
