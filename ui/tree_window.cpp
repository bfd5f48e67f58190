#include "ui/tree_window.h"

#include <QApplication>
#include <algorithm>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/text_codec.h"

namespace varnex {

namespace {

QString Shown(std::string_view s) { return ToDisplay(std::string(s)); }
QString NameTag(std::string_view name) {
  return name.empty() ? QString() : QStringLiteral("  NAME{") + Shown(name) + QStringLiteral("}");
}

QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& text) {
  return new QTreeWidgetItem(parent, QStringList(text));
}

// Builds the tree as the brain's walk goes: each record that holds others
// opens its node (and the group nodes it always shows) and the walk's
// Leave closes it again.
class TreeBuilder : public BrainVisitor {
 public:
  explicit TreeBuilder(QTreeWidget* tree) : tree_(tree) {}
  QTreeWidgetItem* root = nullptr;

  void Registers(std::string_view myName, int mode, int state, int proc) override {
    root = new QTreeWidgetItem(tree_, QStringList(QStringLiteral("Brain") + NameTag(myName)));
    Node(root, QStringLiteral("Current Mode = %1").arg(mode));
    Node(root, QStringLiteral("Current State = %1").arg(state));
    Node(root, QStringLiteral("Current Proc = %1").arg(proc));
    named_ = Node(root, QStringLiteral("Named Objects"));
    states_ = Node(root, QStringLiteral("States"));
    collections_ = Node(root, QStringLiteral("Collections"));
    facts_ = Node(root, QStringLiteral("Facts"));
    procNames_ = Node(root, QStringLiteral("Procedures"));
    procDetail_ = Node(root, QStringLiteral("Proc-Detail"));
    modeNames_ = Node(root, QStringLiteral("Modes"));
    modes_ = Node(root, QStringLiteral("Know-Modes"));
  }
  void NamedObject(std::string_view name) override { Node(named_, Shown(name)); }
  void State(std::string_view name) override { Node(states_, Shown(name)); }
  void Collection(std::string_view name, const std::vector<std::string>& members) override {
    QTreeWidgetItem* c = Node(collections_, Shown(name));
    for (const auto& m : members) Node(c, Shown(m));
  }
  void Fact(std::string_view name, std::string_view value) override { Node(facts_, Shown(name) + "=" + Shown(value)); }
  void ProcedureName(std::string_view name) override { Node(procNames_, Shown(name)); }
  void Procedure(std::string_view name, std::string_view objectName) override {
    Open(Node(procDetail_, Shown(name) + NameTag(objectName)), QStringLiteral("Steps"));
  }
  void Step(std::string_view name, std::string_view objectName) override {
    Open(Node(Group(), Shown(name) + NameTag(objectName)), QStringLiteral("Clauses"));
  }
  void StepClause(int number, std::string_view objectName) override {
    OpenClause(Node(Group(), QString::number(number) + NameTag(objectName)), false);
  }
  void ModeName(std::string_view name) override { Node(modeNames_, Shown(name)); }
  void Mode(std::string_view name, std::string_view objectName) override {
    Open(Node(modes_, Shown(name) + NameTag(objectName)), QStringLiteral("Clauses"));
  }
  void Clause(int number, int32_t hits, std::string_view objectName) override {
    OpenClause(Node(Group(), QStringLiteral("%1 - Hits:%2").arg(number).arg(hits) + NameTag(objectName)), true);
  }
  void WordFragment(const Fragment& f) override {
    // A mode's clauses also show the name field of each fragment.
    QString text = Shown(f.relation) + " - " + Shown(f.word);
    if (top().modeClause) text += " " + Shown(f.name);
    Node(top().fragments, text + NameTag(f.objectName));
  }
  void ResponseRecord(const Response& r) override {
    const bool showTaskText = top().tasksShowText;
    Level level{Node(top().responses, Shown(r.type) + ": " + Shown(r.text) + NameTag(r.objectName))};
    level.group = Node(level.node, QStringLiteral("Tasks"));
    level.tasksShowText = showTaskText;
    levels_.push_back(level);
  }
  void Task(const Response& t) override {
    Node(Group(), Shown(t.type) + (top().tasksShowText ? ": " + Shown(t.text) : QString()) + NameTag(t.objectName));
  }
  void Threshold(int32_t from, int32_t to, std::string_view objectName) override {
    OpenResponses(Node(top().thresholds, QStringLiteral("%1 to %2").arg(from).arg(to) + NameTag(objectName)));
  }
  void StateResponse(std::string_view state, std::string_view objectName) override {
    OpenResponses(Node(top().states, Shown(state) + NameTag(objectName)));
  }
  void Leave() override { levels_.pop_back(); }

 private:
  struct Level {
    QTreeWidgetItem* node = nullptr;
    QTreeWidgetItem* group = nullptr;  // where the records it holds go
    QTreeWidgetItem* fragments = nullptr;
    QTreeWidgetItem* responses = nullptr;
    QTreeWidgetItem* thresholds = nullptr;
    QTreeWidgetItem* states = nullptr;
    bool modeClause = false;
    bool tasksShowText = true;
  };
  Level& top() { return levels_.back(); }
  QTreeWidgetItem* Group() { return top().group; }
  void Open(QTreeWidgetItem* node, const QString& group) { levels_.push_back({node, Node(node, group)}); }
  void OpenClause(QTreeWidgetItem* node, bool modeClause) {
    Level level{node};
    level.fragments = Node(node, QStringLiteral("Fragments"));
    level.responses = Node(node, QStringLiteral("Responses"));
    if (modeClause) {
      level.thresholds = Node(node, QStringLiteral("Thresholds"));
      level.states = Node(node, QStringLiteral("States"));
    }
    level.modeClause = modeClause;
    levels_.push_back(level);
  }
  // Thresholds and state responses list their responses' tasks by type only.
  void OpenResponses(QTreeWidgetItem* node) {
    Level level{node};
    level.responses = Node(node, QStringLiteral("Responses"));
    level.tasksShowText = false;
    levels_.push_back(level);
  }

  QTreeWidget* tree_;
  QTreeWidgetItem *named_ = nullptr, *states_ = nullptr, *collections_ = nullptr, *facts_ = nullptr,
                  *procNames_ = nullptr, *procDetail_ = nullptr, *modeNames_ = nullptr, *modes_ = nullptr;
  std::vector<Level> levels_;
};

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("TForm2"));
  setAttribute(Qt::WA_DeleteOnClose);
  resize(574, 529);
  TreeView1 = new QTreeWidget(this);
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  TreeView1->setExpandsOnDoubleClick(true);
  TreeView1->setGeometry(4, 4, 561, 457);
  btnExpand = new QPushButton(QStringLiteral("expand all"), this);
  // The captions decide the width where the system font is wider.
  btnExpand->setGeometry(4, 464, std::max(61, btnExpand->sizeHint().width()), 25);
  btnExpandFrags = new QPushButton(QStringLiteral("expand frags"), this);
  btnExpandFrags->setGeometry(btnExpand->geometry().right() + 19, 464, std::max(71, btnExpandFrags->sizeHint().width()), 25);
  connect(btnExpand, &QPushButton::clicked, this, &TForm2::ExpandAll);
  connect(btnExpandFrags, &QPushButton::clicked, this, &TForm2::ExpandFrags);
}

void TForm2::Build(const Brain& brain) {
  setWindowTitle(QStringLiteral("Loading, Please WAIT..."));
  TreeView1->clear();
  TreeBuilder builder(TreeView1);
  brain.Visit(builder);
  if (builder.root) builder.root->setExpanded(true);
  setWindowTitle(QStringLiteral("Show Knowledge Tree"));
}

void TForm2::ExpandAll() { TreeView1->expandAll(); }

void TForm2::ExpandFrags() {
  // One pass over the nodes in flat order, opening fragment lists and every
  // node whose text holds a hyphen (the clauses of a mode among them).
  QTreeWidgetItemIterator it(TreeView1);
  for (; *it; ++it) {
    const QString t = (*it)->text(0);
    if (t == QLatin1String("Fragments") || t.contains('-')) (*it)->setExpanded(true);
  }
}

}  // namespace varnex
