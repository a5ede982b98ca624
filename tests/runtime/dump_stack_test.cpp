// The stack dump's walk over chains of frame records that the test lays out
// itself in the program stack: where it stops, and which records it prints.
#include <cstdint>
#include <string>
#include <vector>

#include "internal/error.hpp"
#include "internal/program_stack.hpp"
#include "text_fixture.hpp"

namespace {

using namespace rt;

// Where this processor's code lays the frame record that its frame pointer
// designates, found in a real frame, not taken from the runtime under test:
// the record's second word holds this call's return address.
[[gnu::noinline]] intptr_t laid_record_offset() {
  const auto frame = reinterpret_cast<intptr_t>(__builtin_frame_address(0));
  const auto return_address = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
  constexpr intptr_t WORD = sizeof(uintptr_t);
  for (intptr_t offset = 0; offset >= -4 * WORD; offset -= WORD) {
    if (*reinterpret_cast<const uintptr_t*>(frame + offset + WORD) == return_address) return offset;
  }
  ADD_FAILURE() << "no frame record at the frame pointer";
  return 0;
}
const intptr_t LAID_RECORD_OFFSET = laid_record_offset();

// Record k of the chain sits 64 bytes above record k - 1, from near the
// bottom of the program stack up, so a long chain fits and a link above the
// stack's top can be made. Each lies where the processor's code lays one.
struct Chain {
  static constexpr uintptr_t SPACING = 64;
  uintptr_t base;
  explicit Chain(int records) {
    base = PROGRAM_STACK_TOP() - SPACING * (static_cast<uintptr_t>(records) + 1);
    for (int k = 0; k < records; ++k) {
      // Each record links to the next one up; the last one's link is nil.
      set(k, k + 1 < records ? at(k + 1) : 0, 0x1000 + static_cast<uintptr_t>(k));
    }
  }
  // The frame pointer of record k, which designates it.
  uintptr_t at(int k) const { return base + SPACING * static_cast<uintptr_t>(k); }
  void set(int k, uintptr_t link, uintptr_t return_address) const {
    auto* record = reinterpret_cast<uintptr_t*>(at(k) + LAID_RECORD_OFFSET);
    record[0] = link;
    record[1] = return_address;
  }
};

// A record above the program stack, with a return address of its own: the
// walk must not follow a link to it.
uintptr_t* record_above_the_stack = nullptr;

class DumpStackTest : public texttest::TextFileTest {
 protected:
  // The dump from chain record 0, as the return addresses it printed.
  std::vector<uint32_t> dump(const Chain& chain) {
    open_writing();
    DUMP_STACK(t, chain.at(0));
    CLOSE(t);
    std::vector<uint32_t> addresses;
    const std::string text = written();
    for (size_t at = 0; at < text.size(); at += 14) {
      EXPECT_EQ(text.substr(at, 4), "  0x");
      EXPECT_EQ(text.substr(at + 12, 2), "\r\n");
      addresses.push_back(static_cast<uint32_t>(std::stoul(text.substr(at + 4, 8), nullptr, 16)));
    }
    return addresses;
  }
};

TEST_F(DumpStackTest, StopsWhereTheChainBreaks) {
  const struct {
    const char* what;
    void (*spoil)(const Chain&);  // breaks one record
    std::vector<uint32_t> printed;
  } cases[] = {
      {"a nil link", [](const Chain& c) { c.set(2, 0, 0x1002); }, {0x1000, 0x1001, 0x1002}},
      {"a misaligned link",
       [](const Chain& c) { c.set(2, c.at(3) + 1, 0x1002); },
       {0x1000, 0x1001, 0x1002}},
      {"a link that is not higher",
       [](const Chain& c) { c.set(2, c.at(1), 0x1002); },
       {0x1000, 0x1001, 0x1002}},
      {"a link to itself",
       [](const Chain& c) { c.set(2, c.at(2), 0x1002); },
       {0x1000, 0x1001, 0x1002}},
      {"a link above the stack",
       [](const Chain& c) {
         c.set(4, reinterpret_cast<uintptr_t>(record_above_the_stack) - LAID_RECORD_OFFSET, 0x1004);
       },
       {0x1000, 0x1001, 0x1002, 0x1003, 0x1004}},
      {"a return address of 0",
       [](const Chain& c) { c.set(2, c.at(3), 0); },
       {0x1000, 0x1001, 0x1003, 0x1004, 0x1005}},
  };
  // On the test's own stack, which lies above the program stack's region.
  alignas(16) uintptr_t above[2] = {0, 0x1006};
  record_above_the_stack = above;
  ASSERT_GT(reinterpret_cast<uintptr_t>(above), PROGRAM_STACK_TOP());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Chain chain(6);
    c.spoil(chain);
    EXPECT_EQ(dump(chain), c.printed);
  }
}

// On a file the dump lists at most 257 records.
TEST_F(DumpStackTest, ListsAtMost257RecordsOnAFile) {
  const Chain chain(300);
  const std::vector<uint32_t> printed = dump(chain);
  ASSERT_EQ(printed.size(), 257u);
  EXPECT_EQ(printed.back(), 0x1000u + 256);
}

}  // namespace
