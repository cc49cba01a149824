// fsErrorText's own table against the GNU C library's strerror, whose wording
// it keeps on every platform.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "io/file_system.h"

namespace otawrap {
namespace {

TEST(ErrorText, MatchesTheGnuCLibrary) {
#ifndef __GLIBC__
  GTEST_SKIP() << "the oracle is the GNU C library's strerror";
#endif
  for (const int error : {EPERM, ENOENT, EIO, ENOMEM, EACCES, EBUSY, EEXIST, EXDEV, ENOTDIR,
                          EISDIR, EINVAL, EMFILE, EFBIG, ENOSPC, EROFS, ENAMETOOLONG, EAGAIN,
                          EPIPE, 0, 9999}) {
    const std::string ours = fsErrorText(error);  // strerror may reuse its buffer
    EXPECT_EQ(ours, std::strerror(error)) << "errno " << error;
  }
}

}  // namespace
}  // namespace otawrap
