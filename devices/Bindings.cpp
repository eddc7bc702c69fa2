#include "devices/Bindings.h"

void TZmDataType::Serialize(TZmSerialization& s) { s.SerializeUInt32("DataType", DataType); }

void TZmReadExpression::Serialize(TZmSerialization& s)
{
  s.SerializeString("Expression", Expression);
  // Written so that equal texts of different data types never share a
  // compiled record; never read back (the owner's type is the truth).
  if (s.Writing()) {
    uint32_t type = Owner ? Owner->DataType : 0;
    s.SerializeUInt32("DataType", type);
  }
}

void TZmReadValue::Initialize()
{
  TZmDataType::Initialize();
  for (TZmReadExpression** e : {&ReadValue, &MaxValue, &MinValue}) {
    *e = NewObject<TZmReadExpression>();
    (*e)->Owner = this;
  }
}

TZmReadValue::~TZmReadValue()
{
  delete ReadValue;
  delete MaxValue;
  delete MinValue;
}

void TZmReadValue::Serialize(TZmSerialization& s)
{
  TZmDataType::Serialize(s);
  s.SerializeObject("ReadValue", ReadValue);
  s.SerializeObject("MaxValue", MaxValue);
  s.SerializeObject("MinValue", MinValue);
}
