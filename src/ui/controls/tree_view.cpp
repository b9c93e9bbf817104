// Tree view nodes.
#include "ui/controls/tree_view.h"

namespace lumo {

void Node::SetText(std::string text) {
    text_ = std::move(text);
    owner_.Notify(Change::ItemChanged, Index());
}

int32_t Node::Index() const { return owner_.IndexOf(*this); }

void Node::SetExpanded(bool on) {
    expanded_ = on;
    owner_.Notify(Change::ItemChanged, Index());
}

Node& TreeView::AddNode(Node* parent, const std::string& key, std::string text) {
    auto node = std::make_unique<Node>(*this, parent, key, std::move(text));
    Node& added = nodes_.Add(std::move(node), key);
    added.index_ = nodes_.Count();
    (parent ? parent->children_ : roots_).push_back(&added);
    Notify(Change::ItemAdded, added.index_);
    return added;
}

void TreeView::ClearNodes() {
    selected_ = nullptr;
    roots_.clear();
    nodes_.Clear();
    indexesDirty_ = false;
    Notify(Change::Items);
}

void TreeView::SetSelectedItem(Node* node) {
    selected_ = node;
    Notify(Change::Selection, node ? IndexOf(*node) : 0);
}

int32_t TreeView::IndexOf(const Node& node) const {
    if (indexesDirty_) {
        int32_t n = 0;
        for (const Node& each : nodes_)
            each.index_ = ++n;
        indexesDirty_ = false;
    }
    return node.index_;
}

}  // namespace lumo
