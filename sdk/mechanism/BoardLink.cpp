#include "mechanism/BoardLink.h"

#include "mechanism/BoardAccess.h"

void BoardLink::borrow(Device* port) {
    mOwned.reset();
    mBorrowed = port;
}

void BoardLink::adopt(std::unique_ptr<Device> port) {
    mBorrowed = nullptr;
    mOwned = std::move(port);
}

void BoardLink::close() {
    mOwned.reset();
    mBorrowed = nullptr;
}

int BoardLink::reopen(uint16_t vid, uint16_t pid) {
    close();
    BoardAccess& access = boardAccess();
    if (access.selectBoard(vid, pid) < 1) return kBoardNotFound;
    Device* opened = nullptr;
    const int rc = access.openBoard(&opened);
    if (rc != 0) return rc;
    adopt(std::unique_ptr<Device>(opened));
    return 0;
}
