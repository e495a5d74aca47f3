// Arbitrary line rates through termios2 (BOTHER). Kept apart because the kernel's termbits
// header cannot share a file with glibc's termios.h.
#pragma once

#include <cstddef>
#include <cstdint>

// Sets the flag words and control characters of a tty together with any rate in bits per
// second. `cc` holds glibc's control characters, which outnumber and share their indices with
// the kernel's. 0 or errno.
int SetLineWithRate(int fd, uint32_t iflag, uint32_t oflag, uint32_t cflag, uint32_t lflag,
                    const unsigned char* cc, size_t ccCount, uint32_t rate);

// The output rate the tty holds, in bits per second. 0 or errno.
int ReadLineRate(int fd, uint32_t* rate);
