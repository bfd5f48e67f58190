#include "ui/tree_window.h"

#include <QApplication>
#include <algorithm>
#include <QPushButton>
#include <QTreeWidget>

#include "engine/records/type_names.h"
#include "ui/text_codec.h"

namespace varnex {
namespace {

QString NameTag(const std::string& name) {
  return name.empty() ? QString() : QStringLiteral("  NAME{") + ToDisplay(name) + QStringLiteral("}");
}
QString NameTag(const ObjectClass& r) { return NameTag(r.ObjectName); }
QString Shown(const std::string& s) { return ToDisplay(s); }
QString TypeName(uint8_t n, bool response) {
  return QString::fromLatin1(response ? ResponseTypeName(n) : PatternTypeName(n));
}

QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& text) {
  return new QTreeWidgetItem(parent, QStringList(text));
}

void Responses(QTreeWidgetItem* parent, const OwnedList<ResponseClass>& list, bool tasksShowText) {
  QTreeWidgetItem* group = Node(parent, QStringLiteral("Responses"));
  for (const auto& r : list) {
    QTreeWidgetItem* rn = Node(group, TypeName(r->ResponseType, true) + ": " + Shown(r->OutText) + NameTag(*r));
    QTreeWidgetItem* tasks = Node(rn, QStringLiteral("Tasks"));
    for (const auto& t : r->Tasks)
      Node(tasks, TypeName(t->ResponseType, true) + (tasksShowText ? ": " + Shown(t->OutText) : QString()) + NameTag(*t));
  }
}

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

void TForm2::Build(const BrainClass& b) {
  setWindowTitle(QStringLiteral("Loading, Please WAIT..."));
  TreeView1->clear();
  auto* root = new QTreeWidgetItem(TreeView1, QStringList(QStringLiteral("Brain") + NameTag(b.MyName)));
  Node(root, QStringLiteral("Current Mode = %1").arg(b.CurrentMode));
  Node(root, QStringLiteral("Current State = %1").arg(b.CurrentState));
  Node(root, QStringLiteral("Current Proc = %1").arg(b.CurrentProc));
  QTreeWidgetItem* named = Node(root, QStringLiteral("Named Objects"));
  for (const auto& [name, record] : b.NamedObjects.Entries()) Node(named, Shown(name));
  QTreeWidgetItem* states = Node(root, QStringLiteral("States"));
  for (const auto& s : b.StateNames) Node(states, Shown(s));
  QTreeWidgetItem* collections = Node(root, QStringLiteral("Collections"));
  for (const auto& c : b.Collections) {
    QTreeWidgetItem* cn = Node(collections, Shown(c.Name));
    for (const auto& m : c.Collection->Members) Node(cn, Shown(m));
  }
  QTreeWidgetItem* facts = Node(root, QStringLiteral("Facts"));
  for (std::size_t i = 0; i < b.FactNames.size() && i < b.FactValues.size(); ++i)
    Node(facts, Shown(b.FactNames[i]) + "=" + Shown(b.FactValues[i]));
  QTreeWidgetItem* procs = Node(root, QStringLiteral("Procedures"));
  for (const auto& n : b.ProcNames) Node(procs, Shown(n));
  QTreeWidgetItem* procDetail = Node(root, QStringLiteral("Proc-Detail"));
  for (const auto& p : b.Procs) {
    QTreeWidgetItem* pn = Node(procDetail, Shown(p->TheName) + NameTag(*p));
    QTreeWidgetItem* steps = Node(pn, QStringLiteral("Steps"));
    for (const auto& s : p->Steps) {
      QTreeWidgetItem* sn = Node(steps, Shown(s->TheName) + NameTag(*s));
      QTreeWidgetItem* clauses = Node(sn, QStringLiteral("Clauses"));
      int number = 0;
      for (const auto& sp : s->StepPatterns) {
        QTreeWidgetItem* cn = Node(clauses, QString::number(++number) + NameTag(*sp));
        QTreeWidgetItem* frags = Node(cn, QStringLiteral("Fragments"));
        for (const auto& f : sp->Fragments) Node(frags, TypeName(f->Relation, false) + " - " + Shown(f->WordFrag) + NameTag(*f));
        Responses(cn, sp->Responses, true);
      }
    }
  }
  QTreeWidgetItem* modes = Node(root, QStringLiteral("Modes"));
  for (const auto& n : b.KnowledgeNames) Node(modes, Shown(n));
  QTreeWidgetItem* knowModes = Node(root, QStringLiteral("Know-Modes"));
  for (const auto& k : b.Knowledge) {
    QTreeWidgetItem* kn = Node(knowModes, Shown(k->TheName) + NameTag(*k));
    QTreeWidgetItem* clauses = Node(kn, QStringLiteral("Clauses"));
    int number = 0;
    for (const auto& p : k->Patterns) {
      QTreeWidgetItem* cn = Node(clauses, QStringLiteral("%1 - Hits:%2").arg(++number).arg(p->HitCount) + NameTag(*p));
      QTreeWidgetItem* frags = Node(cn, QStringLiteral("Fragments"));
      for (const auto& f : p->Fragments)
        Node(frags, TypeName(f->Relation, false) + " - " + Shown(f->WordFrag) + " " + Shown(f->TheName) + NameTag(*f));
      Responses(cn, p->Responses, true);
      QTreeWidgetItem* thresholds = Node(cn, QStringLiteral("Thresholds"));
      for (const auto& t : p->Thresholds) {
        QTreeWidgetItem* tn = Node(thresholds, QStringLiteral("%1 to %2").arg(t->ThreshFrom).arg(t->ThreshTo) + NameTag(*t));
        Responses(tn, t->Responses, false);
      }
      QTreeWidgetItem* stateResponses = Node(cn, QStringLiteral("States"));
      for (const auto& s : p->States) {
        QTreeWidgetItem* sn = Node(stateResponses, Shown(s->State) + NameTag(*s));
        Responses(sn, s->Responses, false);
      }
    }
  }
  root->setExpanded(true);
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
