#pragma once
// Buttons: the touch objects of a scene, and the bindings of the panel's
// hardware keys (TZmBtnSystem). Record offsets, as the runtime reads them:
//   every button  +32 safe control, +36 state list, +40 and +44 zero
//                 (press and release events are not compiled), +48 on:
//   bit button    +48 write value
//   set value     +48 write value, +52 number format
//   page          +48 target scene (0: none)
//   function      nothing; the function is the Type at +4
//   key           +48 the four key codes inline (16 bytes)
//   press/release +48 press value, +52 release value
//   password page +48 target scene, +52 password
//   hardware key  +28 panel key code, +32 safe control, +36/+40 zero, +44 on
//                 by Type (no record at all for Type 0)
#include <algorithm>
#include <cstdint>
#include <string>

#include "model/Control.h"

class TZmSafeControl;
class TZmStatusInfs;
class TZmWriteValue;
class TZmReadValue;
class TZmDisplayNumInf;
class TZmKeyDef;
class TZmScene;

class TZmButtonBase : public TZmControl {
public:
  const char* ClassName() const override { return "TZmButtonBase"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // The 48-byte base; kinds append their fields, then call RegisterBase.
  void WriteROM(TZmCompiler& compiler) override;
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  void Scale(double fx, double fy) override;
  int32_t GetImageIndex() override { return -1; }
  int32_t GetTypeTextID() override { return -1; }
  ~TZmButtonBase() override;

  TZmSafeControl* SafeControl = nullptr;
  TZmStatusInfs* StatusInfs = nullptr;
  TZmWriteValue* PressEvent = nullptr;
  TZmWriteValue* ReleaseEvent = nullptr;

protected:
  void WriteBase(TZmCompiler& compiler);
  // The safe control's condition and the states' operands.
  void RegisterBase(TZmCompiler& compiler);
};

class TZmButton : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmButton"; }
  uint32_t ClassTypeCode() const override { return 0x30000; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return 28 + static_cast<int32_t>(std::min<uint32_t>(Type, 3)); }
  int32_t GetTypeTextID() override;
  ~TZmButton() override;

  TZmWriteValue* WriteValue = nullptr;
};

class TZmButtonSetValue : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmButtonSetValue"; }
  uint32_t ClassTypeCode() const override { return 0x20000; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override;
  int32_t GetTypeTextID() override;
  ~TZmButtonSetValue() override;
  // A step button whose step is exactly "-1".
  bool IsDecrement() const;

  TZmWriteValue* WriteValue = nullptr;
  TZmDisplayNumInf* DisplayNumInf = nullptr;
};

class TZmButtonPage : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmButtonPage"; }
  uint32_t ClassTypeCode() const override { return 0x20001; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return Page != 0 ? 36 : 37; }
  int32_t GetTypeTextID() override { return Page != 0 ? 7201 : 7418; }

  uint32_t Page = 0;
};

class TZmButtonFun : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmButtonFun"; }
  uint32_t ClassTypeCode() const override { return 0x20002; }
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return 38; }
  int32_t GetTypeTextID() override { return 7202; }
};

class TZmButtonKey : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmButtonKey"; }
  uint32_t ClassTypeCode() const override { return 0x20003; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return 39; }
  int32_t GetTypeTextID() override { return 7203; }
  ~TZmButtonKey() override;

  TZmKeyDef* Key = nullptr;
};

class TZmBtnStatusSet : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmBtnStatusSet"; }
  uint32_t ClassTypeCode() const override { return 0x20004; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return 40; }
  int32_t GetTypeTextID() override { return 7204; }
  ~TZmBtnStatusSet() override;

  TZmWriteValue* PressValue = nullptr;
  TZmWriteValue* ReleaseValue = nullptr;
};

class TZmButtonPwdPage : public TZmButtonBase {
public:
  const char* ClassName() const override { return "TZmButtonPwdPage"; }
  uint32_t ClassTypeCode() const override { return 0x20006; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return 47; }
  int32_t GetTypeTextID() override { return 7207; }
  ~TZmButtonPwdPage() override;

  uint32_t Page = 0;
  TZmReadValue* Password = nullptr;
};

// The binding of one hardware key of the panel in a scene. Lives in the
// scene's ComponentGroupEx, is never painted; Type selects the action.
class TZmBtnSystem : public TZmComponent {
public:
  const char* ClassName() const override { return "TZmBtnSystem"; }
  uint32_t ClassTypeCode() const override { return 0x20005; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  // Type 0 does nothing and writes nothing, so it is not counted either.
  bool WritesRecord() const override { return Type != 0; }
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind) override;
  void ChangeColorFormat(int32_t, int32_t) override {}
  void Paint(TZmDC&, TZmComponentRefs*, int32_t, bool) override {}
  void Scale(double, double) override {}
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return -1; }
  int32_t GetTypeTextID() override { return -1; }
  ~TZmBtnSystem() override;

  uint32_t KeyValue = 0;
  TZmSafeControl* SafeControl = nullptr;
  TZmWriteValue* PressEvent = nullptr;
  TZmWriteValue* ReleaseEvent = nullptr;
  TZmWriteValue* ONWriteValue = nullptr;
  TZmWriteValue* SetValueWriteValue = nullptr;
  TZmDisplayNumInf* SetValueDisplayNumInf = nullptr;
  uint32_t JumpPage = 0;
  uint32_t FunType = 0;
  TZmKeyDef* Key = nullptr;
  TZmWriteValue* PressValue = nullptr;
  TZmWriteValue* ReleaseValue = nullptr;
  uint32_t Page = 0;
  TZmReadValue* Password = nullptr;
};

// The display text of `value` in choice list `list` (entries "value:text").
std::string ChoiceName(int list, int64_t value);
