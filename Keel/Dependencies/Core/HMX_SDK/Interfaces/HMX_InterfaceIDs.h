// Interface and class IDs of the HMX host interfaces, written in the usual textual form.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Types.h"

namespace HMX::Detail {
constexpr uint32_t HexDigit(char c) {
  return c >= '0' && c <= '9'   ? uint32_t(c - '0')
         : c >= 'A' && c <= 'F' ? uint32_t(c - 'A' + 10)
                                : uint32_t(c - 'a' + 10);
}
constexpr uint32_t Hex(const char* text, int from, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i)
    value = (value << 4) | HexDigit(text[from + i]);
  return value;
}
} // namespace HMX::Detail

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" to an ID; the text is transcribed once, in one place.
constexpr HMX_GUID HMX_MakeGUID(const char (&t)[37]) {
  using HMX::Detail::Hex;
  return HMX_GUID{Hex(t, 0, 8),
                  uint16_t(Hex(t, 9, 4)),
                  uint16_t(Hex(t, 14, 4)),
                  {uint8_t(Hex(t, 19, 2)), uint8_t(Hex(t, 21, 2)), uint8_t(Hex(t, 24, 2)),
                   uint8_t(Hex(t, 26, 2)), uint8_t(Hex(t, 28, 2)), uint8_t(Hex(t, 30, 2)),
                   uint8_t(Hex(t, 32, 2)), uint8_t(Hex(t, 34, 2))}};
}

// Object model
inline constexpr HMX_GUID HMX_IID_Unknown = HMX_MakeGUID("00000000-0000-0000-C000-000000000046");
inline constexpr HMX_GUID HMX_IID_ClassFactory = HMX_MakeGUID("382B6A96-7FD0-11D6-BCFE-00306542A024");

// Module objects
inline constexpr HMX_GUID HMX_IID_EffectGUI = HMX_MakeGUID("964E323D-424C-5E1A-2227-282423222E1E");
inline constexpr HMX_GUID HMX_IID_EffectGUI_V2 = HMX_MakeGUID("A0A8FB30-7E5D-4B4A-AA00-BC334A420DBB");
inline constexpr HMX_GUID HMX_IID_EffectParameters = HMX_MakeGUID("964E333D-334C-533F-C2C7-3834C3C23E3E");
inline constexpr HMX_GUID HMX_IID_EffectParameters_V2 = HMX_MakeGUID("F1F47D06-308F-4CC5-9C7C-50A83F8AB813");
inline constexpr HMX_GUID HMX_IID_EffectParameters_V3 = HMX_MakeGUID("D2540E9D-9163-42BB-A6FD-81E10EA32498");
inline constexpr HMX_GUID HMX_IID_EffectParameters_V4 = HMX_MakeGUID("2E485536-31A3-4697-9C16-E59BF6B28A41");
inline constexpr HMX_GUID HMX_IID_Collection_Result = HMX_MakeGUID("00EEF015-7FD0-11D6-8485-00306542A024");

// Controller
inline constexpr HMX_GUID HMX_IID_Controller_V1 = HMX_MakeGUID("9D5E3E3D-52DC-5EFB-2018-DE1DE2E63F4E");
inline constexpr HMX_GUID HMX_IID_Controller_V2 = HMX_MakeGUID("4C59AA0E-D7C0-4205-8B6C-32468D42D202");
inline constexpr HMX_GUID HMX_IID_Controller_V3 = HMX_MakeGUID("DD6F168C-DA86-44F8-B864-D6CD221926E7");
inline constexpr HMX_GUID HMX_IID_Controller_V4 = HMX_MakeGUID("F19C815C-D885-4677-9E1F-0837C7A69EB3");
inline constexpr HMX_GUID HMX_IID_Controller_V5 = HMX_MakeGUID("FF310DBF-04E8-45B1-B36A-B8F4D9B8D482");
inline constexpr HMX_GUID HMX_IID_Controller_V6 = HMX_MakeGUID("2E9D35FB-BACC-4B2C-B5D7-C6E851F569BD");
inline constexpr HMX_GUID HMX_IID_Controller_V7 = HMX_MakeGUID("06C6B83E-9D87-4938-8A38-F8E45B10A24A");

// Automation
inline constexpr HMX_GUID HMX_IID_Automation_V1 = HMX_MakeGUID("9D5E3D3D-42DC-5EFA-2217-EEE2E8E53E2E");

// Transport
inline constexpr HMX_GUID HMX_IID_Transport_V1 = HMX_MakeGUID("5CEE4EF4-6337-4359-B63B-FE58DC36543A");
inline constexpr HMX_GUID HMX_IID_Transport_V2 = HMX_MakeGUID("203CBD9F-982C-4FE6-A827-07480257AEC3");
inline constexpr HMX_GUID HMX_IID_Transport_V3 = HMX_MakeGUID("AF79E815-ECFE-1FB4-8A2E-24AB0EC08EF0");
inline constexpr HMX_GUID HMX_IID_Transport_V4 = HMX_MakeGUID("CAD3748B-5F34-4A1D-B59E-126ECFB01177");
inline constexpr HMX_GUID HMX_IID_Transport_V5 = HMX_MakeGUID("E8B5E908-F8F6-44BA-AC92-1D8EE1D44B58");
inline constexpr HMX_GUID HMX_IID_Transport_V6 = HMX_MakeGUID("CE6DDB20-1B7C-4559-9EE8-D7698645A143");

// View container
inline constexpr HMX_GUID HMX_IID_ViewContainer_V1 = HMX_MakeGUID("22DA0BBC-D550-4D5E-8CC6-734483B8837F");
inline constexpr HMX_GUID HMX_IID_ViewContainer_V2 = HMX_MakeGUID("9143A0BE-7A79-4D02-AE25-AADBA76A50B2");
inline constexpr HMX_GUID HMX_IID_ViewContainer_V3 = HMX_MakeGUID("07CDA0FD-BE98-4DD7-92E0-023757DF2E01");

// Page table
inline constexpr HMX_GUID HMX_IID_PageTable_V1 = HMX_MakeGUID("33C9E5BE-1CE3-4085-91A7-09D6F8EE4B64");
inline constexpr HMX_GUID HMX_IID_PageTable_V2 = HMX_MakeGUID("D0F25D1B-9C5B-4D2E-8F1F-45BC934732F7");
inline constexpr HMX_GUID HMX_CLSID_PageTable = HMX_MakeGUID("DBC22879-A24E-4AC6-9721-938B72D8E81B");

// Host services
inline constexpr HMX_GUID HMX_CLSID_HostServices = HMX_MakeGUID("88882C2D-EBBC-42EF-C0AB-8981B0BD0CCA");
inline constexpr HMX_GUID HMX_IID_HostServices_V1 = HMX_MakeGUID("96D42C2D-EBBC-41EF-B0AB-9991A0ED0CCA");
inline constexpr HMX_GUID HMX_IID_HostServices_V2 = HMX_MakeGUID("A207EE9E-B442-11E4-A71E-12E3F512A338");
inline constexpr HMX_GUID HMX_IID_HostServices_V3 = HMX_MakeGUID("12BEA399-9A4F-4353-8098-3916FA71898D");

// Description objects
inline constexpr HMX_GUID HMX_CLSID_Collection = HMX_MakeGUID("89882C2D-77BC-42EF-707B-7981B7BD0CCA");
inline constexpr HMX_GUID HMX_IID_Collection = HMX_MakeGUID("96D42C2D-EBBC-41DF-B1AB-9991A2EE0CCA");
inline constexpr HMX_GUID HMX_IID_DescriptionHost = HMX_MakeGUID("E5BC71DF-4C1F-4CC4-814A-5A7DD0E70EF5");
inline constexpr HMX_GUID HMX_IID_HostDefinition = HMX_MakeGUID("E51741F1-7FCF-11D6-AAC3-00306542A024");
inline constexpr HMX_GUID HMX_CLSID_EffectDescriptor = HMX_MakeGUID("89872C2D-75BC-423F-401B-F9A1BAAD0CCA");
inline constexpr HMX_GUID HMX_IID_EffectDescriptor_V1 = HMX_MakeGUID("96D42C2D-EBBC-41EF-D1CB-499442E40FDA");
inline constexpr HMX_GUID HMX_IID_EffectDescriptor_V2 = HMX_MakeGUID("41ECCC52-416B-4072-84BD-40B05210A74C");
inline constexpr HMX_GUID HMX_CLSID_ComponentDescriptor =
    HMX_MakeGUID("94872C3D-95BC-413D-D0DB-D9B12AAD0CCA");
inline constexpr HMX_GUID HMX_IID_ComponentDescriptor_V1 =
    HMX_MakeGUID("96E42C2D-E2BC-51EF-61C7-48994AEB0CDA");
inline constexpr HMX_GUID HMX_IID_ComponentDescriptor_V2 =
    HMX_MakeGUID("1895259E-AAA9-4F0F-A985-149837B76F89");
inline constexpr HMX_GUID HMX_IID_ComponentDescriptor_V3 =
    HMX_MakeGUID("979CFCD4-2BCB-43AE-9CD0-2D0ECD2ADCD5");
inline constexpr HMX_GUID HMX_CLSID_PropertyMap = HMX_MakeGUID("A587AD3D-D53C-4ADC-D0DD-D9D12DDDDCDA");
inline constexpr HMX_GUID HMX_IID_PropertyMap_V1 = HMX_MakeGUID("96EE2C2D-EECC-5EFF-E2D7-E849E3E2EEEE");
inline constexpr HMX_GUID HMX_IID_PropertyMap_V2 = HMX_MakeGUID("7177DF80-7C9C-11E2-B92A-0800200C9A66");
inline constexpr HMX_GUID HMX_IID_PropertyMap_V3 = HMX_MakeGUID("6D4AB208-D34B-4368-B4F1-58BC243F45C9");
inline constexpr HMX_GUID HMX_IID_FeatureInfo = HMX_MakeGUID("24545609-A7C4-44D4-ABB8-CF13EA9D0BDF");

// Key under which the host definition keeps its 4-byte value.
inline constexpr HMX_GUID HMX_KEY_HostDefinitionValue = HMX_MakeGUID("950CF999-37AA-49DE-8DCC-BE7FA73E6AEE");
