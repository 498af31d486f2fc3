// The arena behind a tree: the blocks that hold parsed and added elements,
// attributes and texts.
#include "framework/xml/XmlInternal.h"

namespace vantrel {

CXmlElement::Arena::~Arena() {
    while (blocks_) {
        Block* next = blocks_->next;
        ::operator delete(blocks_);
        blocks_ = next;
    }
}

void CXmlElement::Arena::AddBlock(size_t minimum) {
    const size_t capacity = std::max(nextCapacity_, minimum);
    Block* block = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
    block->next = blocks_;
    blocks_ = block;
    capacity_ = capacity;
    used_ = 0;
    nextCapacity_ = std::min(nextCapacity_ * 2, kLargestBlock);
}

void* CXmlElement::Arena::AddSeparateBlock(size_t size) {
    Block* block = static_cast<Block*>(::operator new(sizeof(Block) + size));
    if (blocks_) {
        block->next = blocks_->next;
        blocks_->next = block;
    } else {
        block->next = nullptr;
        blocks_ = block;
        capacity_ = size;
        used_ = size;
    }
    return block + 1;
}

}  // namespace vantrel
