// TForm2: a snapshot of the whole brain as a read-only tree.
#pragma once

#include <QWidget>

#include "engine/varnex.h"

class QPushButton;
class QTreeWidget;

namespace varnex {

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);
  // Builds the tree of the brain as it is now.
  void Build(const Brain& brain);
  void ExpandAll();
  void ExpandFrags();

  QTreeWidget* TreeView1;
  QPushButton* btnExpand;
  QPushButton* btnExpandFrags;
};

}  // namespace varnex
