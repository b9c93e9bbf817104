// A tree view: nodes with a key, a text, a tag and children; the user's click on a node.
#pragma once

#include <vector>

#include "base/owning_collection.h"
#include "ui/controls/control.h"

namespace lumo {

class TreeView;

class Node {
public:
    Node(TreeView& owner, Node* parent, std::string key, std::string text)
        : owner_(owner), parent_(parent), key_(std::move(key)), text_(std::move(text)) {}
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const std::string& Key() const { return key_; }
    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    std::string Tag;
    Node* Parent() const { return parent_; }
    const std::vector<Node*>& Children() const { return children_; }
    // Position in the tree's flat node collection, from 1.
    int32_t Index() const;
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool on);

private:
    friend class TreeView;
    TreeView& owner_;
    Node* parent_;
    std::string key_;
    std::string text_;
    std::vector<Node*> children_;
    bool expanded_ = false;
    mutable int32_t index_ = 0;
};

class TreeView : public Control {
public:
    explicit TreeView(ControlSite site) : Control(std::move(site), ControlKind::TreeView) {}

    // Adds a node under `parent` (null: at the top), after the parent's last child. A non-empty
    // key must be unique (CollectionError otherwise).
    Node& AddNode(Node* parent, const std::string& key, std::string text);
    int32_t NodeCount() const { return nodes_.Count(); }
    Node& Nodes(const IndexKey& indexKey) { return nodes_.item(indexKey); }
    const Node& Nodes(const IndexKey& indexKey) const { return nodes_.item(indexKey); }
    // The top-level nodes, in order.
    const std::vector<Node*>& Roots() const { return roots_; }
    void ClearNodes();

    // Quiet: selecting from code runs no event.
    Node* SelectedItem() const { return selected_; }
    void SetSelectedItem(Node* node);

    bool LabelEdit() const { return labelEdit_; }
    void SetLabelEdit(bool on) {
        labelEdit_ = on;
        Notify(Change::Style);
    }

    std::function<void(Node&)> OnNodeClick;
    // The user's click on a node: it becomes the selected node, then OnNodeClick.
    void UserClickNode(Node& node) {
        if (!Usable())
            return;
        SetSelectedItem(&node);
        Fire(
            [&] {
                if (OnNodeClick)
                    OnNodeClick(node);
            },
            "NodeClick");
    }

private:
    friend class Node;
    int32_t IndexOf(const Node& node) const;

    OwningCollection<Node> nodes_;
    std::vector<Node*> roots_;
    Node* selected_ = nullptr;
    bool labelEdit_ = false;
    mutable bool indexesDirty_ = false;
};

}  // namespace lumo
