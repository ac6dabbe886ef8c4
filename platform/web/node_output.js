// The standard output and error of a program run under node, written straight to the process's
// descriptors as each write comes: every byte reaches a pipe before the process exits (node's
// console queues what a full pipe cannot take, and exiting drops the queue), and a write that
// fails answers with its errno, as the system's write does, for the program to report.
mergeInto(LibraryManager.library, {
  fd_write__sig: "iiiii",
  fd_write: function (fd, iov, iovcnt, pnum) {
    var fs = require("fs");
    // The WebAssembly C library's numbers for the errors a write meets.
    var errnos = { EACCES: 2, EBADF: 8, EDQUOT: 19, EFBIG: 22, EINVAL: 28, EIO: 29, ENOSPC: 51, EPERM: 63, EPIPE: 64 };
    var written = 0;
    for (var index = 0; index < iovcnt; index++) {
      var start = HEAP32[(iov + 8 * index) >> 2];
      var length = HEAP32[(iov + 8 * index + 4) >> 2];
      for (var done = 0; done < length; ) {
        try {
          done += fs.writeSync(fd, HEAPU8, start + done, length - done);
        } catch (error) {
          // A pipe node has made non-blocking is full: wait a moment for its reader.
          if (error.code === "EAGAIN") {
            Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, 1);
            continue;
          }
          return errnos[error.code] || errnos.EIO;
        }
      }
      written += length;
    }
    HEAP32[pnum >> 2] = written;
    return 0;
  },
});
